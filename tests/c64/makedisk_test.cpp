// The bundled disk tool as partdisk runs it: "makedisk IMAGE LIST".

#include <gtest/gtest.h>

#include "c64programs.h"
#include "d64.h"
#include "runprogram.h"
#include "testfolder.h"

namespace {

class makedisktest : public ::testing::Test {
 protected:
  programrun makedisk(const std::string& list) const {
    writetext(work / "list.txt", list);
    return runprogram(built("bin") / "makedisk.exe",
                      {"out\\tarv.d64", "list.txt"}, work);
  }

  void expectnoimage() const {
    EXPECT_FALSE(fs::exists(work / "out" / "tarv.d64"));
    EXPECT_FALSE(fs::exists(work / "out" / "tarv.d64.part"));
  }

  testfolder root;
  fs::path work = root.path();
};

TEST_F(makedisktest, WritesTheListedFilesInOrder) {
  fs::create_directories(work / "out");
  const filebytes boot = countingbytes(643, 1);
  writefile(work / "out" / "BOOT.PRG", boot);
  writefile(work / "out" / "AA.PRG", countingbytes(5000, 2));
  writefile(work / "out" / "BA.PRG", {});

  const programrun run = makedisk(
      "out\\BOOT.PRG BOOT.PRG\r\nout\\AA.PRG AA.PRG\r\nout\\BA.PRG BA.PRG\r\n");

  ASSERT_EQ(run.status, 0);
  const filebytes bytes = readfile(work / "out" / "tarv.d64");
  const d64image image = makeimage(diskbytes(bytes.begin(), bytes.end()));
  const std::vector<d64entry> entries = directory(image);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "BOOT");
  EXPECT_EQ(entries[1].name, "AA");
  EXPECT_EQ(entries[2].name, "BA");
  EXPECT_EQ(readchain(image, entries[0]), diskbytes(boot.begin(), boot.end()));
  EXPECT_EQ(readchain(image, entries[1]).size(), 5000u);
  EXPECT_TRUE(readchain(image, entries[2]).empty());
  EXPECT_EQ(bamfreeblocks(image), 664 - 3 - 20 - 1);
  const std::uint8_t* bam = sectorat(image, 18, 0);
  EXPECT_EQ(std::string(bam + 0x90, bam + 0x94), "TARV");
}

TEST_F(makedisktest, RefusesWhatDoesNotFitAndLeavesNoImage) {
  fs::create_directories(work / "out");
  writefile(work / "big.prg", filebytes(665 * 254 - 300, 7));
  writefile(work / "small.prg", filebytes(10, 1));
  std::string manyfiles;
  for (int i = 0; i < 145; ++i)
    manyfiles += "small.prg F" + std::to_string(i) + "\n";

  for (const std::string& list :
       {std::string("big.prg BIG.PRG\nsmall.prg A.PRG\nsmall.prg B.PRG\n"),
        manyfiles, std::string("missing.prg MISSING.PRG\n")}) {
    const programrun run = makedisk(list);
    EXPECT_EQ(run.status, 1);
    expectnoimage();
  }
}

}  // namespace
