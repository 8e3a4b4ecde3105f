// The bundled tools and boot program, and whole disk builds with them read
// back by independent readers. cc1541 and cbmconvert are Debian
// programs, so this runs with the Linux build only.

#include <gtest/gtest.h>

#include <map>

#include "files.h"
#include "programfolder.h"

namespace {

fs::path built(const std::string& name) {
  return fs::path(::programdir()) / ".." / name;
}

fs::path bundled(const std::string& name) { return built("bin") / name; }

TEST(bootprogram, HasRoomForTheWholePartTable) {
  const filebytes boot = readfile(bundled("boot.prg"));
  ASSERT_GE(boot.size(), 616u + 26u + 1u);
  EXPECT_EQ(boot[0], 0x01);
  EXPECT_EQ(boot[1], 0x08);
  EXPECT_EQ(boot[616], 0x80);
}

class bundledtooltest : public programfolder {};

TEST_F(bundledtooltest, DiskToolRefusesBadListsWithoutAnImage) {
  writefile(work / "a.prg", countingbytes(10));
  for (const char* list :
       {"a.prg\r\n", "missing.prg MISSING.PRG\r\n", "a.prg \r\n"}) {
    writetext(work / "list.txt", list);
    EXPECT_NE(
        runprogram(bundled("makedisk.exe"), {"x.d64", "list.txt"}, work).status,
        0)
        << list;
    EXPECT_FALSE(fs::exists(work / "x.d64"));
  }
  EXPECT_NE(
      runprogram(bundled("makedisk.exe"), {"x.d64", "nolist.txt"}, work).status,
      0);
  EXPECT_FALSE(fs::exists(work / "x.d64.part"));
}

// What cbmconvert extracts from the image: file name to content.
std::map<std::string, filebytes> readimage(const fs::path& image,
                                           const fs::path& folder) {
  fs::create_directories(folder);
  EXPECT_EQ(
      runprogram("cbmconvert", {"-N", "-d", image.string()}, folder).status, 0);
  std::map<std::string, filebytes> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = readfile(entry.path());
  }
  return files;
}

// What cc1541 lists of an image: each file's name and blocks, and the
// blocks free. cc1541 opens the image for writing, so it lists a copy.
std::string listimage(const fs::path& image, const fs::path& folder) {
  fs::create_directories(folder);
  fs::copy_file(image, folder / "copy.d64",
                fs::copy_options::overwrite_existing);
  return runprogram("cc1541", {"-V", "-U", "1", "copy.d64"}, folder).output;
}

TEST_F(bundledtooltest, ImagesReadAlikeInEveryReader) {
  const std::map<std::string, filebytes> files = {
      {"boot", countingbytes(643, 1)},
      {"aa", countingbytes(254, 2)},
      {"ba", countingbytes(255, 3)},
      {"ca", {}},
      {"da", countingbytes(40000, 4)}};
  std::string list;
  for (const auto& [name, content] : files) {
    std::string upper = name;
    for (char& c : upper)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    writefile(work / (name + ".bin"), content);
    list += name + ".bin " + upper + ".PRG\r\n";
  }
  writetext(work / "list.txt", list);
  ASSERT_EQ(runprogram(bundled("makedisk.exe"), {"tarv.d64", "list.txt"}, work)
                .status,
            0);

  std::map<std::string, filebytes> expected;
  for (const auto& [name, content] : files) expected[name + ".prg"] = content;
  EXPECT_EQ(readimage(work / "tarv.d64", root.path() / "extracted"), expected);

  const std::string listing =
      listimage(work / "tarv.d64", root.path() / "listed");
  for (const char* line : {"3    \"BOOT\"", "1    \"AA\"", "2    \"BA\"",
                           "1    \"CA\"", "158  \"DA\"", "499 BLOCKS FREE."}) {
    EXPECT_NE(listing.find(line), std::string::npos) << line << " in\n"
                                                     << listing;
  }
  EXPECT_NE(listing.find("\"TARV            \" 00 2A"), std::string::npos)
      << listing;
}

class exampledisk : public programfolder {
 protected:
  // The bundled tools and the boot program take the doubles' place, and the
  // example production is copied into the working folder.
  void SetUp() override {
    programfolder::SetUp();
    for (const char* name : {"exomizer.exe", "makedisk.exe", "boot.prg"}) {
      fs::copy_file(bundled(name), program / name,
                    fs::copy_options::overwrite_existing);
    }
    fs::copy(built("examples"), work, fs::copy_options::recursive);
  }

  void expectimageholdsthebuild(const fs::path& out) const {
    const std::map<std::string, filebytes> expected = {
        {"boot.prg", readfile(out / "BOOT.PRG")},
        {"aa.prg", readfile(out / "AA.PRG")},
        {"ba.prg", readfile(out / "BA.PRG")},
        {"ca.prg", readfile(out / "CA.PRG")}};
    EXPECT_EQ(readimage(out / "tarv.d64", root.path() / "extracted"), expected);
  }
};

TEST_F(exampledisk, ImageHoldsExactlyTheBootProgramAndTheParts) {
  const programrun run = partdisk({"disk", "parts.txt", "out"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "");
  expectimageholdsthebuild(work / "out");
  const filebytes boot = readfile(work / "out" / "BOOT.PRG");
  EXPECT_EQ(filebytes(boot.begin() + 616, boot.begin() + 620),
            filebytes({'A', 'B', 'C', 0x80}));
}

TEST_F(exampledisk, InstalledTreeBuildsTheDisk) {
  const fs::path prefix = root.path() / "prefix";
  ASSERT_EQ(
      runprogram(CMAKE_COMMAND,
                 {"--install", built("").string(), "--prefix", prefix.string()},
                 work)
          .status,
      0);
  EXPECT_TRUE(fs::is_symlink(prefix / "bin" / "partdisk"));
  EXPECT_TRUE(fs::exists(prefix / "share" / "man" / "man1" / "partdisk.1"));

  const programrun run = runprogram(prefix / "bin" / "partdisk",
                                    {"disk", "parts.txt", "out"}, work);

  EXPECT_EQ(run.status, 0);
  expectimageholdsthebuild(work / "out");
  EXPECT_FALSE(fs::exists(prefix / "lib" / "partdisk" / "makedisktemp.txt"));
}

}  // namespace
