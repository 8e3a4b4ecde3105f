// Hand-edited part lists and outside tools that fail: every case ends with
// its documented message and exit status, or builds where the input is
// valid.

#include <gtest/gtest.h>

#include "programfolder.h"

namespace {

class faulttest : public programfolder {
 protected:
  void SetUp() override {
    programfolder::SetUp();
    writefile(program / "boot.prg", countingbytes(700));
    for (const char* name : {"a.prg", "b.prg", "c.prg"}) {
      writesource(name, countingbytes(40, 1));
    }
  }

  std::string tableletters() const {
    const filebytes boot = readfile(work / "out" / "BOOT.PRG");
    std::string letters;
    for (std::size_t i = 616; i < boot.size() && boot[i] != 0x80; ++i) {
      letters += static_cast<char>(boot[i]);
    }
    return letters;
  }

  std::string nocrunchedfile() const {
    return failureline("Cannot open file " + programdir() + "exotemp.prg");
  }
};

TEST_F(faulttest, OddLineEndsInThePartList) {
  const struct {
    std::string list, letters;
  } cases[] = {
      {std::string("a.prg\nb.prg\0c.prg\n", 18), "AB"},
      {"a.prg\rb.prg\rc.prg", "ABC"},
      {"a.prg\n\rb.prg\n\r", "AB"},
      {"\r\n\r\n\n\na.prg\r\n", "A"},
  };
  for (const auto& c : cases) {
    writetext(work / "parts.txt", c.list);
    const programrun run = partdisk({"disk", "parts.txt", "out"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(tableletters(), c.letters) << testing::PrintToString(c.list);
  }
}

TEST_F(faulttest, LongAndManyLines) {
  writetext(work / "parts.txt", std::string(1 << 20, 'x') + "\n");
  programrun run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, nocrunchedfile());

  std::string many;
  for (int i = 0; i < 10000; ++i) {
    many += "a.prg\n";
  }
  writetext(work / "parts.txt", many);
  run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Too many parts: 10000 (at most 26)"));

  writetext(work / "parts.txt", std::string(10000, '\n') + "b.prg\n");
  run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(tableletters(), "A");
}

TEST_F(faulttest, BytesAboveAscii) {
  writesource("\xe4\xf6.prg", countingbytes(40, 1));
  writetext(work / "parts.txt",
            "\xe4\xf6.prg \xff"
            "0801\n");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(readfile(work / "out" / "AA.PRG")[123], 0x08);
  EXPECT_EQ(calls("exomizer.log").at(0).back(), "\xe4\xf6.prg");
}

TEST_F(faulttest, HeaderOfExactly120Bytes) {
  writesource("h.prg", countingbytes(40, 1), 120);
  EXPECT_EQ(partdisk({"part", "h.prg", "h.out"}).status, 0);
  writesource("h.prg", countingbytes(40, 1), 119);
  EXPECT_EQ(partdisk({"part", "h.prg", "h.out"}).output,
            failureline("Stream read error"));
}

TEST_F(faulttest, FoldersWhereFilesBelong) {
  fs::create_directories(work / "list");
  programrun run = partdisk({"disk", "list", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot open file list"));

  fs::create_directories(work / "d.prg");
  writetext(work / "d.txt", std::string(120, 'h'));
  run = partdisk({"part", "d.prg", "d.out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, nocrunchedfile());

  fs::remove(program / "boot.prg");
  fs::create_directories(program / "boot.prg");
  writetext(work / "parts.txt", "a.prg\n");
  run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "boot.prg"));
}

TEST_F(faulttest, CruncherThatDies) {
  setcruncher("abort");
  const programrun run = partdisk({"part", "a.prg", "a.out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, nocrunchedfile());
  EXPECT_FALSE(fs::exists(work / "a.out"));
}

TEST_F(faulttest, CruncherThatIsNoProgram) {
  fs::remove(program / "exomizer.exe");
  writetext(program / "exomizer.exe", "not a program\n");
  fs::permissions(program / "exomizer.exe",
                  fs::perms::owner_read | fs::perms::owner_write);
  const programrun run = partdisk({"part", "a.prg", "a.out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, nocrunchedfile());
}

}  // namespace
