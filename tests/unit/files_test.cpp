#include "files.h"

#include <gtest/gtest.h>

#include "failuremessage.h"
#include "testfolder.h"

namespace {

class filestest : public ::testing::Test {
 protected:
  // Relative paths resolve against the temporary folder for the test.
  void SetUp() override {
    previous = fs::current_path();
    fs::current_path(folder.path());
  }
  void TearDown() override { fs::current_path(previous); }

  testfolder folder;
  fs::path previous;
};

TEST_F(filestest, LoadsLinesFromAFile) {
  writetext("list.txt", std::string("a\r\nb\n\rc\0d", 9));
  EXPECT_EQ(loadlines("list.txt"), lines({"a", "b", "", "c"}));
  writetext("empty.txt", "");
  EXPECT_EQ(loadlines("empty.txt"), lines());
}

TEST_F(filestest, SavesEveryLineWithCrLf) {
  savelines("out.txt", {"x", "y"});
  EXPECT_EQ(readtext("out.txt"), "x\r\ny\r\n");
  savelines("out.txt", {});
  EXPECT_EQ(readtext("out.txt"), "");
}

TEST_F(filestest, SavesAndLoadsWholeFiles) {
  const bytes content = {0, 1, 2, 0xFF, '\r', '\n'};
  savefile("data.bin", content);
  EXPECT_EQ(loadfile("data.bin"), content);
}

TEST_F(filestest, ReportsMissingAndUncreatableFilesWithThePathAsGiven) {
  EXPECT_EQ(failuremessage([] { loadfile("missing\\x.prg"); }),
            "Cannot open file missing\\x.prg");
  EXPECT_EQ(failuremessage([] { loadlines("missing.txt"); }),
            "Cannot open file missing.txt");
  EXPECT_EQ(failuremessage([] { savefile("missing/x.prg", {}); }),
            "Cannot create file missing/x.prg");
  EXPECT_EQ(failuremessage([] { savelines("missing/x.txt", {"a"}); }),
            "Cannot create file missing/x.txt");
  fs::create_directory("folder");
  EXPECT_EQ(failuremessage([] { openread("folder"); }),
            "Cannot open file folder");
}

TEST_F(filestest, CopyStopsAtTheEndOfTheSource) {
  writefile("source", countingbytes(100));
  const openfile source = openread("source");
  const openfile destination = createwrite("destination");
  EXPECT_EQ(failuremessage([&] { copybytes(source, destination, 120); }),
            "Stream read error");
}

TEST_F(filestest, CopiesFromTheCurrentPosition) {
  writefile("source", countingbytes(200000));
  {
    const openfile source = openread("source");
    const openfile destination = createwrite("destination");
    unsigned char first[2];
    readexactly(source, first, 2);
    copybytes(source, destination, 150000);
    seekstart(source);
    copybytes(source, destination, 1);
    EXPECT_EQ(filesize(source), 200000u);
  }
  filebytes expected = countingbytes(150000, 2);
  expected.push_back(0);
  EXPECT_EQ(readfile("destination"), expected);
}

TEST_F(filestest, DeletingIsSilent) {
  writetext("file", "x");
  deletefile("file");
  EXPECT_FALSE(fs::exists("file"));
  deletefile("file");
  deletefile("no/such/folder/file");
}

TEST_F(filestest, ExistsOnlyForFiles) {
  writetext("file", "x");
  fs::create_directory("folder");
  EXPECT_TRUE(fileexists("file"));
  EXPECT_FALSE(fileexists("folder"));
  EXPECT_FALSE(fileexists("missing"));
}

TEST_F(filestest, ForcesDirectoriesOutermostFirst) {
  const struct {
    std::string path;
    fs::path made;
  } cases[] = {
      {"out", "out"},
      {"d1", "d1"},
      {"a\\b\\c", "a/b/c"},
      {"e\\f\\", "e/f"},
#ifndef _WIN32
      // "/" separates only where the platform uses it.
      {"h/i/j", "h/i/j"},
      {"g/", "g"},
#endif
      {(fs::path(folder.path()) / "abs" / "x").string(), "abs/x"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(forcedirectories(c.path)) << c.path;
    EXPECT_TRUE(fs::is_directory(c.made)) << c.path;
  }
  EXPECT_TRUE(forcedirectories("out"));
  EXPECT_TRUE(forcedirectories("/"));
}

TEST_F(filestest, ForcingDirectoriesStopsAtAFile) {
  writetext("file", "x");
  EXPECT_FALSE(forcedirectories("file"));
  EXPECT_FALSE(forcedirectories("file/below/deeper"));
  EXPECT_FALSE(fs::exists("file/below"));
  EXPECT_EQ(failuremessage([] { forcedirectories(""); }),
            "Unable to create directory");
}

TEST_F(filestest, FindsTheProgramsOwnFolder) {
  const std::string directory = programdir();
  ASSERT_FALSE(directory.empty());
  EXPECT_TRUE(isseparator(directory.back()));
  EXPECT_TRUE(fs::is_directory(directory));
}

TEST(directorypart, KeepsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(directorypart("a\\b\\c.prg"), "a\\b\\");
  EXPECT_EQ(directorypart("c.prg"), "");
  EXPECT_EQ(directorypart("a\\"), "a\\");
}

}  // namespace
