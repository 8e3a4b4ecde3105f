#pragma once

// Disks built as a group builds them, with partdisk and the bundled
// cruncher, disk tool and boot program, booted in c64run.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runc64.h"
#include "runprogram.h"
#include "testfolder.h"

// LDA #letter, JSR CHROUT, RTS: a part that prints its letter.
inline filebytes printer(std::uint16_t address, char letter) {
  return programat(address, {0xA9, static_cast<std::uint8_t>(letter), 0x20,
                             0xD2, 0xFF, 0x60});
}

// "--dump" takes FROM-TO=FILE in hex; this covers a program's bytes.
inline std::string dumpof(const filebytes& program, const std::string& path) {
  const unsigned from = program[0] | program[1] << 8;
  char range[32];
  std::snprintf(range, sizeof range, "%04X-%04X=", from,
                static_cast<unsigned>(from + program.size() - 3));
  return range + path;
}

inline std::string headerfor(const std::string& name) {
  std::string header = "HEADER OF " + name;
  header.resize(120, '.');
  return header;
}

class bootdisk : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program);
    fs::create_directories(work);
    for (const char* name :
         {PARTDISK_NAME, "exomizer.exe", "makedisk.exe", "boot.prg"}) {
      fs::copy_file(built("bin") / name, program / name);
    }
  }

  // Writes the programs with their headers and the part list, and builds
  // the disk work/out/tarv.d64.
  void builddisk(const std::vector<std::pair<std::string, filebytes>>& programs,
                 const std::string& partlist) const {
    for (const auto& [name, bytes] : programs) {
      writefile(work / (name + ".prg"), bytes);
      writetext(work / (name + ".txt"), headerfor(name));
    }
    writetext(work / "parts.txt", partlist);
    const programrun run =
        runprogram(program / PARTDISK_NAME, {"disk", "parts.txt", "out"}, work);
    ASSERT_EQ(run.status, 0) << run.output;
  }

  // Boots the disk on one drive: "1541" loads through the boot program's
  // drive code, "dos" (a drive that runs no drive code) through the KERNAL.
  programrun bootwith(const std::string& drive,
                      std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"--drive", drive});
    arguments.push_back("out/tarv.d64");
    return runc64(arguments, work);
  }

  // Boots the disk through the KERNAL, then through the drive code, on a
  // PAL C64 with Commodore's ROMs and on an NTSC one (faster than the
  // drive) unlike them in every way the model knows, which must all leave
  // the same screen, stop the same way and dump the same bytes. The drive
  // code's run on the PAL one is the one returned.
  programrun boot(const std::vector<std::string>& arguments) const {
    const programrun kernal = bootwith("dos", arguments);
    const std::vector<filebytes> kernaldumps = dumpsof(arguments);
    std::vector<std::string> unlike = {
        "--ntsc",  "--quirk", "interrupt-entries", "--quirk",
        "unlisten-holds-clk", "--quirk", "clall-closes", "--quirk",
        "stale-track"};
    unlike.insert(unlike.end(), arguments.begin(), arguments.end());
    const programrun other = bootwith("1541", unlike);
    EXPECT_EQ(screenabove(other), screenabove(kernal)) << other.output;
    EXPECT_EQ(stopreason(other), stopreason(kernal)) << other.output;
    EXPECT_EQ(dumpsof(arguments), kernaldumps);
    const programrun fast = bootwith("1541", arguments);
    EXPECT_EQ(screenabove(fast), screenabove(kernal)) << kernal.output;
    EXPECT_EQ(stopreason(fast), stopreason(kernal)) << kernal.output;
    EXPECT_EQ(dumpsof(arguments), kernaldumps);
    return fast;
  }

  // The files the --dump options wrote.
  std::vector<filebytes> dumpsof(
      const std::vector<std::string>& arguments) const {
    std::vector<filebytes> dumps;
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
      if (arguments[i] != "--dump") continue;
      const std::string& dump = arguments[i + 1];
      dumps.push_back(readfile(work / dump.substr(dump.find('=') + 1)));
    }
    return dumps;
  }

  static std::vector<std::string> screenrows(const programrun& run) {
    std::vector<std::string> rows;
    std::size_t from = 0;
    for (std::size_t end;
         (end = run.output.find('\n', from)) != std::string::npos;
         from = end + 1) {
      rows.push_back(run.output.substr(from, end - from));
    }
    return rows;
  }

  static std::string stopline(const programrun& run) {
    return screenrows(run).back();
  }

  static std::vector<std::string> screenabove(const programrun& run) {
    std::vector<std::string> rows = screenrows(run);
    if (!rows.empty()) rows.pop_back();
    return rows;
  }

  // The stop line up to its address: the counts differ between drives.
  static std::string stopreason(const programrun& run) {
    const std::string line = stopline(run);
    return line.substr(0, line.find(',', line.find("pc $")));
  }

  testfolder root;
  fs::path program = root.path() / "program";
  fs::path work = root.path() / "work";
};
