// Faults that need POSIX to be made: named pipes, a file size limit for a full
// disk in the middle of a build, and a user who may not write the program
// folder. A full disk for a part file is tested on both platforms.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "programfolder.h"

namespace {

class posixfaulttest : public programfolder {
 protected:
  void SetUp() override {
    programfolder::SetUp();
    writefile(program / "boot.prg", countingbytes(700));
  }

  // Runs partdisk where no file may grow past 1024 bytes; a write past that
  // fails as on a full disk instead of ending the process.
  programrun partdisklimited(const std::vector<std::string>& arguments) const {
    return partdiskvia(
        {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 2; exec \"$0\" \"$@\""},
        arguments);
  }
};

TEST_F(posixfaulttest, NamedPipesAreRefusedWithoutWaiting) {
  writesource("a.prg", countingbytes(40, 1));
  ASSERT_EQ(mkfifo((work / "list.fifo").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((work / "p.prg").c_str(), 0644), 0);
  writetext(work / "p.txt", std::string(120, 'h'));
  writefile(work / "h.prg", countingbytes(40, 1));
  ASSERT_EQ(mkfifo((work / "h.txt").c_str(), 0644), 0);

  EXPECT_EQ(partdisk({"disk", "list.fifo", "out"}).output,
            failureline("Cannot open file list.fifo"));
  EXPECT_EQ(partdisk({"part", "h.prg", "h.out"}).output,
            failureline("Cannot open file h.txt"));
  EXPECT_EQ(partdisk({"part", "p.prg", "p.out"}).output,
            failureline("Cannot open file " + programdir() + "exotemp.prg"));
}

TEST_F(posixfaulttest, FullDiskWhileWritingAPart) {
  writesource("big.prg", countingbytes(950, 1));
  writetext(work / "parts.txt", "big.prg\n");

  const programrun run = partdisklimited({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Stream write error"));
  EXPECT_EQ(fs::file_size(work / "out" / "AA.PRG"), 1024u);
  EXPECT_TRUE(fs::exists(program / "exotemp.prg"));
  EXPECT_FALSE(fs::exists(work / "out" / "BOOT.PRG"));
}

TEST_F(posixfaulttest, FullDiskWhileWritingTheBootProgram) {
  writesource("a.prg", countingbytes(40, 1));
  writetext(work / "parts.txt", "a.prg\n");
  writefile(program / "boot.prg", countingbytes(1500));

  const programrun run = partdisklimited({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Stream write error"));
  EXPECT_TRUE(fs::exists(work / "out" / "AA.PRG"));
  EXPECT_EQ(fs::file_size(work / "out" / "BOOT.PRG"), 1024u);
  EXPECT_TRUE(calls("makedisk.log").empty());
}

TEST_F(posixfaulttest, FullDiskWhileWritingTheDiskList) {
  std::string list;
  for (int i = 0; i < 10; ++i) {
    const std::string name = "p" + std::to_string(i) + ".prg";
    writesource(name, countingbytes(40, 1));
    list += name + "\n";
  }
  writetext(work / "parts.txt", list);
  const std::string out(100, 'o');

  const programrun run = partdisklimited({"disk", "parts.txt", out});

  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Stream write error"));
  EXPECT_EQ(fs::file_size(work / out / "BOOT.PRG"), 700u);
  EXPECT_EQ(fs::file_size(program / "makedisktemp.txt"), 1024u);
  EXPECT_TRUE(calls("makedisk.log").empty());
}

TEST_F(posixfaulttest, ProgramFolderThatIsNotWritable) {
  writesource("a.prg", countingbytes(40, 1));
  writetext(work / "empty.txt", "");
  fs::permissions(work, fs::perms::all);
  std::vector<std::string> launcher;
  if (geteuid() == 0) {
    // root writes everywhere, so run as nobody, for whom the program folder
    // is read-only.
    launcher = {"setpriv", "--reuid=nobody", "--regid=nogroup",
                "--clear-groups"};
  } else {
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    launcher = {"env"};
  }

  programrun run = partdiskvia(launcher, {"part", "a.prg", "a.out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            failureline("Cannot open file " + programdir() + "exotemp.prg"));

  run = partdiskvia(launcher, {"disk", "empty.txt", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, failureline("Cannot create file " + programdir() +
                                    "makedisktemp.txt"));
  EXPECT_TRUE(fs::exists(work / "out" / "BOOT.PRG"));
  fs::permissions(program, fs::perms::owner_all);
}

}  // namespace
