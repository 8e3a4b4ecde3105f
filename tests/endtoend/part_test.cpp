#include <gtest/gtest.h>

#include "programfolder.h"

namespace {

using parttest = programfolder;

// The part file partdisk must write for a crunched file and a header.
filebytes expectedpart(const filebytes& crunched, const filebytes& header,
                       unsigned char low, unsigned char high) {
  filebytes part(crunched.begin(), crunched.begin() + 2);
  part.insert(part.end(), header.begin(), header.begin() + 120);
  part.push_back(low);
  part.push_back(high);
  part.insert(part.end(), crunched.begin() + 2, crunched.end());
  return part;
}

filebytes prgfile(unsigned char low, unsigned char high, std::size_t size) {
  filebytes bytes = countingbytes(size, 0x30);
  bytes[0] = low;
  bytes[1] = high;
  return bytes;
}

TEST_F(parttest, WritesTheLayoutAndCallsTheCruncherExactly) {
  const filebytes source = prgfile(0x01, 0x08, 700);
  writesource("intro.prg", source);

  const programrun run = partdisk({"part", "intro.prg", "intro.part", "c000"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(readfile(work / "intro.part"),
            expectedpart(source, headertext(120), 0x00, 0xC0));
  const std::vector<toolcall> expected = {
      {programdir() + "exomizer.exe", "-l", "auto", "-o",
       programdir() + "exotemp.prg", "intro.prg"}};
  EXPECT_EQ(calls("exomizer.log"), expected);
  EXPECT_FALSE(fs::exists(program / "exotemp.prg"));
}

struct addresscase {
  std::vector<std::string> extra;  // arguments after the part file
  unsigned char low, high;         // the expected address bytes
};

void PrintTo(const addresscase& c, std::ostream* out) {
  *out << ::testing::PrintToString(c.extra);
}

class partaddress : public programfolder,
                    public ::testing::WithParamInterface<addresscase> {};

TEST_P(partaddress, StoresTheAddressBytes) {
  const filebytes source = prgfile(0x00, 0xC0, 300);
  writesource("a.prg", source);
  std::vector<std::string> arguments = {"part", "a.prg", "a.out"};
  arguments.insert(arguments.end(), GetParam().extra.begin(),
                   GetParam().extra.end());

  const programrun run = partdisk(arguments);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(
      readfile(work / "a.out"),
      expectedpart(source, headertext(120), GetParam().low, GetParam().high));
}

INSTANTIATE_TEST_SUITE_P(
    addresses, partaddress,
    ::testing::Values(
        // No address, no hex digit, or a value whose low 16 bits alone are
        // zero: 0 takes the crunched load address, the others do not.
        addresscase{{}, 0x00, 0xC0}, addresscase{{"xyz"}, 0x00, 0xC0},
        addresscase{{"0801"}, 0x01, 0x08},
        addresscase{{"$0801", "extra"}, 0x01, 0x08},
        addresscase{{"10000"}, 0x00, 0x00},
        addresscase{{"ABCD1234"}, 0x34, 0x12}));

TEST_F(parttest, UsesOnlyTheFirst120BytesOfALongHeader) {
  const filebytes source = prgfile(0x01, 0x08, 10);
  writesource("intro.prg", source, 300);

  EXPECT_EQ(partdisk({"part", "intro.prg", "out.prg", "801"}).status, 0);

  EXPECT_EQ(readfile(work / "out.prg"),
            expectedpart(source, headertext(120), 0x01, 0x08));
}

TEST_F(parttest, ReplacesAnyFourCharacterEnding) {
  writefile(work / "data.bin", prgfile(0x01, 0x08, 10));
  writefile(work / "data.txt", headertext(120));
  writefile(work / "a.p", prgfile(0x01, 0x08, 10));
  writefile(work / ".txt", headertext(130));

  EXPECT_EQ(partdisk({"part", "data.bin", "data.out"}).status, 0);
  EXPECT_EQ(partdisk({"part", "a.p", "a.out"}).status, 0);

  EXPECT_EQ(readfile(work / "data.out").size(), 10u + 122u);
  EXPECT_EQ(readfile(work / "a.out").size(), 10u + 122u);
}

TEST_F(parttest, AcceptsBackslashesInPaths) {
  fs::create_directories(work / "src");
  fs::create_directories(work / "out");
  writesource("src/x.prg", prgfile(0x01, 0x08, 10));

  EXPECT_EQ(partdisk({"part", "src\\x.prg", "out\\x.prg"}).status, 0);
  EXPECT_EQ(readfile(work / "out" / "x.prg").size(), 132u);
  EXPECT_EQ(calls("exomizer.log").at(0).back(), "src\\x.prg");

  const programrun run = partdisk({"part", "src\\x.prg", "missing\\x.prg"});
  EXPECT_EQ(run.output, failureline("Cannot create file missing\\x.prg"));
}

TEST_F(parttest, IgnoresUnknownCommands) {
  writesource("a.prg", prgfile(0x01, 0x08, 10));
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"Part", "a.prg", "a.out"},
                                             {"part ", "a.prg", "a.out"},
                                             {"DISK", "list", "out"},
                                             {"build"}}) {
    const programrun run = partdisk(arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
  }
  EXPECT_TRUE(calls("exomizer.log").empty());
  EXPECT_FALSE(fs::exists(work / "a.out"));
}

// What the failures print and leave behind.

TEST_F(parttest, CruncherWritingNothingLeavesAnOlderPartAlone) {
  writesource("a.prg", prgfile(0x01, 0x08, 10));
  writetext(work / "a.out", "older");
  setcruncher("none");

  const programrun run = partdisk({"part", "a.prg", "a.out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "exotemp.prg"));
  EXPECT_EQ(readtext(work / "a.out"), "older");
}

TEST_F(parttest, MissingCruncherIsReportedThroughItsMissingOutput) {
  fs::remove(program / "exomizer.exe");
  writesource("a.prg", prgfile(0x01, 0x08, 10));

  const programrun run = partdisk({"part", "a.prg", "a.out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "exotemp.prg"));
}

TEST_F(parttest, StaleCrunchedFileIsDeletedFirst) {
  writesource("a.prg", prgfile(0x01, 0x08, 10));
  writefile(program / "exotemp.prg", prgfile(0x01, 0x08, 50));
  setcruncher("none");

  const programrun run = partdisk({"part", "a.prg", "a.out"});

  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "exotemp.prg"));
  EXPECT_FALSE(fs::exists(work / "a.out"));
}

TEST_F(parttest, MissingHeaderKeepsTheCrunchedFile) {
  writefile(work / "src.prg", prgfile(0x01, 0x08, 10));

  const programrun run = partdisk({"part", "src.prg", "a.out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot open file src.txt"));
  EXPECT_FALSE(fs::exists(work / "a.out"));
  EXPECT_EQ(readfile(program / "exotemp.prg"), prgfile(0x01, 0x08, 10));
}

TEST_F(parttest, HeaderThatIsAFolderCannotBeOpened) {
  writefile(work / "src.prg", prgfile(0x01, 0x08, 10));
  fs::create_directories(work / "src.txt");

  const programrun run = partdisk({"part", "src.prg", "a.out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot open file src.txt"));
}

TEST_F(parttest, UncreatablePartFileKeepsTheCrunchedFile) {
  writesource("a.prg", prgfile(0x01, 0x08, 10));

  const programrun run = partdisk({"part", "a.prg", "nofolder/a.out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot create file nofolder/a.out"));
  EXPECT_TRUE(fs::exists(program / "exotemp.prg"));
}

TEST_F(parttest, OneByteCrunchedFileLeavesAnEmptyPart) {
  writesource("a.prg", prgfile(0x01, 0x08, 10));
  setcruncher("one");
  for (const char* address : {"0", "801"}) {
    const programrun run = partdisk({"part", "a.prg", "a.out", address});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, failureline("Stream read error"));
    EXPECT_TRUE(fs::exists(work / "a.out"));
    EXPECT_EQ(fs::file_size(work / "a.out"), 0u);
    EXPECT_EQ(fs::file_size(program / "exotemp.prg"), 1u);
  }
}

TEST_F(parttest, ShortHeaderLeavesTwoBytes) {
  writesource("a.prg", prgfile(0x01, 0x08, 10), 119);

  const programrun run = partdisk({"part", "a.prg", "a.out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Stream read error"));
  EXPECT_EQ(readfile(work / "a.out"), filebytes({0x01, 0x08}));
  EXPECT_TRUE(fs::exists(program / "exotemp.prg"));
}

TEST_F(parttest, FullDiskIsAStreamWriteError) {
  writesource("a.prg", prgfile(0x01, 0x08, 10));

  const programrun run = partdisk({"part", "a.prg", fulldisk()});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Stream write error"));
  EXPECT_TRUE(fs::exists(program / "exotemp.prg"));
}

}  // namespace
