#include <gtest/gtest.h>

#include "programfolder.h"

namespace {

// partdisk cuts its own command line on Windows; these run it with raw ones.
class rawcommandline : public programfolder {
 protected:
  programrun partdiskraw(const std::string& arguments) const {
    return runcommandline(
        "\"" + (program / PARTDISK_NAME).string() + "\"" + arguments, work);
  }

  unsigned char addresslow(const std::string& part) const {
    return readfile(work / part).at(122);
  }
};

TEST_F(rawcommandline, CutsAtBlanksAndTabsOutsideQuotes) {
  filebytes source = countingbytes(20);
  source[0] = 0x00;
  source[1] = 0xC0;
  writesource("src.prg", source);

  EXPECT_EQ(partdiskraw(" part src.prg \"my part.prg\"").status, 0);
  EXPECT_EQ(addresslow("my part.prg"), 0x00);

  EXPECT_EQ(partdiskraw("\tpart\tsrc.prg\ttabbed.prg\t0801").status, 0);
  EXPECT_EQ(addresslow("tabbed.prg"), 0x01);

  // Quotes inside an argument are dropped; a pair at its start is passed
  // over, so an empty quoted argument does not count.
  EXPECT_EQ(
      partdiskraw(" \"\" part src.prg \"\" qu\"ot\"ed.prg \"\"0802").status, 0);
  EXPECT_EQ(addresslow("quoted.prg"), 0x02);
}

}  // namespace
