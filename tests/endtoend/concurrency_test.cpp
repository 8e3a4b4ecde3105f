#include <gtest/gtest.h>

#include <thread>

#include "programfolder.h"

namespace {

using concurrencytest = programfolder;

// Both runs share the program folder's temporary files; they must take
// turns, or one run's crunched data ends up in the other's parts.
TEST_F(concurrencytest, RunsFromOneProgramFolderTakeTurns) {
  setcruncher("slow");
  writefile(program / "boot.prg", countingbytes(700));
  for (const std::string build : {"x", "y"}) {
    std::string list;
    for (int part = 0; part < 3; ++part) {
      const std::string name = build + std::to_string(part) + ".prg";
      filebytes content = countingbytes(
          64, static_cast<unsigned char>(build[0] * 3 + part * 50));
      content[0] = 0x01;
      content[1] = 0x08;
      writesource(name, content);
      list += name + "\n";
    }
    writetext(work / (build + ".txt"), list);
  }

  programrun first{}, second{};
  std::thread other([&] { first = partdisk({"disk", "x.txt", "outx"}); });
  second = partdisk({"disk", "y.txt", "outy"});
  other.join();

  EXPECT_EQ(first.output, "");
  EXPECT_EQ(second.output, "");
  for (const std::string build : {"x", "y"}) {
    for (int part = 0; part < 3; ++part) {
      const std::string partname = std::string(1, 'A' + part) + "A.PRG";
      const filebytes built = readfile(work / ("out" + build) / partname);
      const filebytes source =
          readfile(work / (build + std::to_string(part) + ".prg"));
      ASSERT_EQ(built.size(), source.size() + 122) << build << partname;
      EXPECT_TRUE(
          std::equal(source.begin() + 2, source.end(), built.begin() + 124))
          << build << partname;
    }
  }
}

}  // namespace
