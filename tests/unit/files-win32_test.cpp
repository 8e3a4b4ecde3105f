#include <gtest/gtest.h>
#include <windows.h>

#include "failuremessage.h"
#include "files.h"
#include "testfolder.h"

namespace {

TEST(win32files, DrivePrefixEndsTheDirectoryPart) {
  EXPECT_EQ(directorypart("C:x.prg"), "C:");
  EXPECT_EQ(directorypart("C:\\a\\x.prg"), "C:\\a\\");
  EXPECT_EQ(directorypart("a/b.prg"), "");
}

TEST(win32files, ForcesDirectoriesBelowADrive) {
  EXPECT_TRUE(forcedirectories("C:"));
  EXPECT_TRUE(forcedirectories("C:\\"));
  const testfolder folder;
  const std::string nested = folder.path().string() + "\\x\\y\\";
  EXPECT_TRUE(forcedirectories(nested));
  EXPECT_TRUE(fs::is_directory(folder.path() / "x" / "y"));
  EXPECT_FALSE(forcedirectories("Q:\\no drive\\x"));
}

TEST(win32files, WritersAndReadersDoNotShare) {
  const testfolder folder;
  const std::string path = (folder.path() / "part.prg").string();
  writetext(path, "data");

  const HANDLE writer =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(failuremessage([&] { openread(path); }),
            "Cannot open file " + path);
  CloseHandle(writer);

  const openfile reader = openread(path);
  EXPECT_EQ(failuremessage([&] { openread(path); }), "no failure");
  EXPECT_EQ(failuremessage([&] { createwrite(path); }),
            "Cannot create file " + path);
}

}  // namespace
