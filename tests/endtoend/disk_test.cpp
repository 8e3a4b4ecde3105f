#include <gtest/gtest.h>

#include "programfolder.h"

namespace {

// A disk build from the working folder into "out", with a boot program of
// 700 bytes in the program folder.
class disktest : public programfolder {
 protected:
  void SetUp() override {
    programfolder::SetUp();
    writefile(program / "boot.prg", boot);
  }

  // Writes a source program and its header for each name.
  void writesources(const std::vector<std::string>& names) const {
    unsigned char first = 0x40;
    for (const std::string& name : names) {
      filebytes bytes = countingbytes(50, first++);
      bytes[0] = 0x00;
      bytes[1] = 0x10;
      writesource(name, bytes);
    }
  }

  // The boot program with the part table as it must be saved.
  filebytes bootwithtable(const std::string& letters) const {
    filebytes expected = boot;
    std::size_t position = 616;
    for (const char letter : letters) {
      expected[position++] = static_cast<unsigned char>(letter);
    }
    expected[position] = 0x80;
    return expected;
  }

  std::string disklist() const { return readtext(program / "makedisk.list"); }

  void expectnodisklist() const {
    EXPECT_FALSE(fs::exists(program / "makedisktemp.txt"));
    EXPECT_TRUE(calls("makedisk.log").empty());
  }

  filebytes boot = countingbytes(700, 0x11);
  fs::path out = work / "out";
};

TEST_F(disktest, BuildsPartsBootProgramAndDisk) {
  writesources({"intro.prg", "main.prg"});
  writetext(work / "parts.txt", "intro.prg 0801\r\nmain.prg\r\n");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "");
  const std::vector<toolcall> crunches = {
      {programdir() + "exomizer.exe", "-l", "auto", "-o",
       programdir() + "exotemp.prg", "intro.prg"},
      {programdir() + "exomizer.exe", "-l", "auto", "-o",
       programdir() + "exotemp.prg", "main.prg"}};
  EXPECT_EQ(calls("exomizer.log"), crunches);
  const std::vector<toolcall> disks = {{programdir() + "makedisk.exe",
                                        "out\\tarv.d64",
                                        programdir() + "makedisktemp.txt"}};
  EXPECT_EQ(calls("makedisk.log"), disks);
  EXPECT_EQ(disklist(),
            "out\\BOOT.PRG BOOT.PRG\r\n"
            "out\\AA.PRG AA.PRG\r\n"
            "out\\BA.PRG BA.PRG\r\n");

  const filebytes aa = readfile(out / "AA.PRG");
  ASSERT_EQ(aa.size(), 50u + 122u);
  EXPECT_EQ(aa[122], 0x01);
  EXPECT_EQ(aa[123], 0x08);
  EXPECT_EQ(aa[124], 0x42);
  const filebytes ba = readfile(out / "BA.PRG");
  ASSERT_EQ(ba.size(), 50u + 122u);
  EXPECT_EQ(ba[122], 0x00);
  EXPECT_EQ(ba[123], 0x10);
  EXPECT_EQ(ba[124], 0x43);
  EXPECT_EQ(readfile(out / "BOOT.PRG"), bootwithtable("AB"));
  EXPECT_EQ(readfile(program / "boot.prg"), boot);
  EXPECT_EQ(readtext(out / "tarv.d64"), "image");
  EXPECT_FALSE(fs::exists(program / "makedisktemp.txt"));
  EXPECT_FALSE(fs::exists(program / "exotemp.prg"));
}

TEST_F(disktest, EmptyListStillMakesADisk) {
  writetext(work / "parts.txt", "");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(readfile(out / "BOOT.PRG"), bootwithtable(""));
  EXPECT_EQ(disklist(), "out\\BOOT.PRG BOOT.PRG\r\n");
  EXPECT_EQ(calls("makedisk.log").size(), 1u);
}

TEST_F(disktest, EmptyLinesUseNoPartName) {
  writesources({"a.prg", "b.prg", "c.prg"});
  writetext(work / "parts.txt", "a.prg\n\nb.prg\r\n\r\nc.prg");

  EXPECT_EQ(partdisk({"disk", "parts.txt", "out"}).status, 0);

  EXPECT_EQ(readfile(out / "BOOT.PRG"), bootwithtable("ABC"));
  EXPECT_EQ(disklist(),
            "out\\BOOT.PRG BOOT.PRG\r\n"
            "out\\AA.PRG AA.PRG\r\n"
            "out\\BA.PRG BA.PRG\r\n"
            "out\\CA.PRG CA.PRG\r\n");
  EXPECT_EQ(readfile(out / "CA.PRG")[124], 0x44);
}

TEST_F(disktest, AddressIsTheSecondSingleBlankToken) {
  writesources({"a.prg", "b.prg"});
  writetext(work / "parts.txt", "a.prg  0801\nb.prg c000 ignored\n");

  EXPECT_EQ(partdisk({"disk", "parts.txt", "out"}).status, 0);

  EXPECT_EQ(readfile(out / "AA.PRG")[123], 0x10);
  EXPECT_EQ(readfile(out / "BA.PRG")[123], 0xC0);
}

TEST_F(disktest, OutputDirectoryGetsOneSeparator) {
  writesources({"a.prg"});
  writetext(work / "parts.txt", "a.prg\n");
  const struct {
    std::string argument, firstline;
  } cases[] = {
      {"out", "out\\BOOT.PRG BOOT.PRG"},
      {"out\\", "out\\BOOT.PRG BOOT.PRG"},
#ifdef _WIN32
      {"out/", "out/\\BOOT.PRG BOOT.PRG"},
#else
      {"out/", "out/BOOT.PRG BOOT.PRG"},
#endif
      {"deep\\er\\out", "deep\\er\\out\\BOOT.PRG BOOT.PRG"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(partdisk({"disk", "parts.txt", c.argument}).status, 0);
    EXPECT_EQ(disklist().substr(0, disklist().find('\r')), c.firstline);
  }
  EXPECT_TRUE(fs::exists(work / "deep" / "er" / "out" / "AA.PRG"));
}

TEST_F(disktest, LineOfBlanksHasAnEmptySource) {
  writesources({"a.prg"});
  writetext(work / "parts.txt", "a.prg\n  \n");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "exotemp.prg"));
  const toolcall emptysource = {programdir() + "exomizer.exe", "-l", "auto",
                                "-o", programdir() + "exotemp.prg"};
  EXPECT_EQ(calls("exomizer.log").at(1), emptysource);
  EXPECT_TRUE(fs::exists(out / "AA.PRG"));
  EXPECT_FALSE(fs::exists(out / "BOOT.PRG"));
  expectnodisklist();
}

TEST_F(disktest, NoArgumentsStillDeletesTheTemporaryFiles) {
  writetext(program / "exotemp.prg", "stale");
  writetext(program / "makedisktemp.txt", "stale");

  const programrun run = partdisk({"disk"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot open file "));
  EXPECT_FALSE(fs::exists(program / "exotemp.prg"));
  EXPECT_FALSE(fs::exists(program / "makedisktemp.txt"));
}

TEST_F(disktest, MissingListOrBootProgramCreatesNothing) {
  programrun run = partdisk({"disk", "nolist.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot open file nolist.txt"));

  writetext(work / "parts.txt", "");
  fs::remove(program / "boot.prg");
  run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "boot.prg"));

  EXPECT_FALSE(fs::exists(out));
  expectnodisklist();
}

TEST_F(disktest, FailingPartStopsTheBuild) {
  writesources({"a.prg"});
  writefile(work / "b.prg", countingbytes(50));
  writesources({"c.prg"});
  fs::create_directories(out);
  writetext(out / "BOOT.PRG", "older");
  writetext(work / "parts.txt", "a.prg\nb.prg\nc.prg\n");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot open file b.txt"));
  EXPECT_TRUE(fs::exists(out / "AA.PRG"));
  EXPECT_FALSE(fs::exists(out / "BA.PRG"));
  EXPECT_EQ(calls("exomizer.log").size(), 2u);
  EXPECT_TRUE(fs::exists(program / "exotemp.prg"));
  EXPECT_EQ(readtext(out / "BOOT.PRG"), "older");
  expectnodisklist();
}

TEST_F(disktest, OutputDirectoryThatIsAFile) {
  writesources({"a.prg"});
  writetext(work / "out", "a file");
  writetext(work / "parts.txt", "a.prg\n");
  writetext(work / "empty.txt", "");

  programrun run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot create file out\\AA.PRG"));
  EXPECT_TRUE(fs::exists(program / "exotemp.prg"));

  run = partdisk({"disk", "empty.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot create file out\\BOOT.PRG"));
  EXPECT_EQ(readtext(work / "out"), "a file");
}

TEST_F(disktest, UnwritableBootProgramKeepsTheParts) {
  writesources({"a.prg"});
  writetext(work / "parts.txt", "a.prg\n");
  fs::create_directories(out / "BOOT.PRG");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot create file out\\BOOT.PRG"));
  EXPECT_TRUE(fs::exists(out / "AA.PRG"));
  expectnodisklist();
}

TEST_F(disktest, UnwritableDiskListKeepsBootProgram) {
  writesources({"a.prg"});
  writetext(work / "parts.txt", "a.prg\n");
  fs::create_directories(program / "makedisktemp.txt");

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot create file " + programdir() +
                                    "makedisktemp.txt"));
  EXPECT_EQ(readfile(out / "BOOT.PRG"), bootwithtable("A"));
  EXPECT_TRUE(calls("makedisk.log").empty());
}

// A disk tool that leaves no image, whether it writes nothing or cannot be
// started at all, fails the build; the parts and BOOT.PRG stay.
TEST_F(disktest, DiskToolThatLeavesNoImageFailsTheBuild) {
  for (const std::string toolfault : {"writes nothing", "is missing"}) {
    SCOPED_TRACE(toolfault);
    fs::remove_all(out);
    if (toolfault == "writes nothing") {
      writetext(program / "makedisk.mode", "none");
    } else {
      fs::remove(program / "makedisk.exe");
    }
    writesources({"a.prg"});
    writetext(work / "parts.txt", "a.prg\n");
    fs::create_directories(out);
    writetext(out / "tarv.d64", "old image");

    const programrun run = partdisk({"disk", "parts.txt", "out"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, failureline("makedisk failed..."));
    EXPECT_FALSE(fs::exists(out / "tarv.d64"));
    EXPECT_FALSE(fs::exists(program / "makedisktemp.txt"));
    EXPECT_TRUE(fs::exists(out / "AA.PRG"));
    EXPECT_EQ(readfile(out / "BOOT.PRG"), bootwithtable("A"));
  }
}

TEST_F(disktest, BuildsTwentySixParts) {
  std::string list, letters;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string name = std::string(1, letter) + ".prg";
    writesources({name});
    list += name + "\n";
    letters += letter;
  }
  writetext(work / "parts.txt", list);

  EXPECT_EQ(partdisk({"disk", "parts.txt", "out"}).status, 0);

  EXPECT_EQ(readfile(out / "BOOT.PRG"), bootwithtable(letters));
  EXPECT_TRUE(fs::exists(out / "ZA.PRG"));
  EXPECT_EQ(calls("exomizer.log").size(), 26u);
}

TEST_F(disktest, RefusesMorePartsThanTheTableHolds) {
  std::string list;
  for (int i = 0; i < 27; ++i) {
    list += "part" + std::to_string(i) + ".prg\n\n";
  }
  writetext(work / "parts.txt", list);

  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Too many parts: 27 (at most 26)"));
  EXPECT_FALSE(fs::exists(out));
  EXPECT_TRUE(calls("exomizer.log").empty());
  expectnodisklist();
}

TEST_F(disktest, RefusesABootProgramTooShortForTheTable) {
  writesources({"a.prg", "b.prg"});
  writetext(work / "parts.txt", "a.prg\nb.prg\n");
  writefile(program / "boot.prg", countingbytes(618));

  programrun run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            failureline("No room for 2 parts in " + programdir() + "boot.prg"));
  EXPECT_FALSE(fs::exists(out));
  expectnodisklist();

  writefile(program / "boot.prg", countingbytes(619));
  run = partdisk({"disk", "parts.txt", "out"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(fs::file_size(out / "BOOT.PRG"), 619u);
}

TEST_F(disktest, RefusesAnEmptyOutputDirectory) {
  writesources({"a.prg"});
  writetext(work / "parts.txt", "a.prg\n");

  const programrun run = partdisk({"disk", "parts.txt", ""});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Missing output directory"));
  EXPECT_TRUE(calls("exomizer.log").empty());
  expectnodisklist();
}

}  // namespace
