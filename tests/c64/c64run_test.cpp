// c64run as a user runs it: built programs in a temporary folder, their
// output and exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "d64.h"
#include "runc64.h"
#include "runprogram.h"
#include "sampledisk.h"
#include "testfolder.h"

namespace {

class c64runtest : public ::testing::Test {
 protected:
  // A disk whose first file is the program, beside the other files.
  void writedisk(const std::vector<d64file>& files) const {
    const d64image image = buildimage("TEST", "00", files);
    writefile(work / "test.d64",
              filebytes(image.bytes.begin(), image.bytes.end()));
  }

  programrun run(const std::vector<std::string>& arguments) const {
    return runc64(arguments, work);
  }

  // The last line of the output: why the run stopped.
  static std::string stopline(const programrun& result) {
    std::string output = result.output;
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output.substr(output.find_last_of('\n') + 1);
  }

  testfolder root;
  fs::path work = root.path();
};

TEST_F(c64runtest, TheSelfCheckingProgramPasses) {
  const programrun result =
      run({"--raw", (built("testbin") / "selftest.bin").string() + "@0400",
           "--start", "0400"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(stopline(result).rfind("stop: jumped to itself, pc $0403, ", 0), 0u)
      << result.output;
}

TEST_F(c64runtest, RunsEndAsTheProgramEnds) {
  // LDA $A2 / CMP #60 / BNE back / RTS: a second of the jiffy clock, which
  // only the KERNAL's interrupt moves.
  const diskbytes jiffysecond =
      programat(0xC000, {0xA5, 0xA2, 0xC9, 0x3C, 0xD0, 0xFA, 0x60});
  struct ending {
    const char* name;
    diskbytes program;
    std::vector<std::string> options;
    int status;
    const char* stop;
  };
  const std::vector<ending> endings = {
      {"rts",
       programat(0xC000, {0x60}),
       {},
       0,
       "stop: returned to BASIC, pc $A7AE, "},
      {"warm start",
       programat(0xC000, {0x6C, 0x02, 0xA0}),
       {},
       0,
       "stop: returned to BASIC, pc $E37B, "},
      {"jump to itself",
       programat(0xC000, {0x4C, 0x00, 0xC0}),
       {},
       0,
       "stop: jumped to itself, pc $C000, "},
      // INX, JMP back: never ends on its own.
      {"cycle limit",
       programat(0xC000, {0xE8, 0x4C, 0x00, 0xC0}),
       {"--cycles", "1000"},
       1,
       "stop: reached the cycle limit, pc $C00"},
      {"stop address",
       programat(0xC000, {0xE8, 0x4C, 0x00, 0xC0}),
       {"--stop-at", "$C001"},
       0,
       "stop: reached the stop address, pc $C001, "},
      {"undocumented opcode",
       programat(0xC000, {0xEA, 0x02}),
       {},
       1,
       "stop: error: undocumented opcode $02 at $C001, pc $C001, "},
      {"ROM that is not modelled",
       programat(0xC000, {0x20, 0xD8, 0xFF}),
       {},
       1,
       "stop: error: ran into ROM at $FFD8, pc $FFD8, "},
      // Waits for raster line $80, then returns.
      {"raster wait",
       programat(0xC000, {0xAD, 0x12, 0xD0, 0xC9, 0x80, 0xD0, 0xF9, 0x60}),
       {},
       0,
       "stop: returned to BASIC, "},
      // 10 SYS2061, then RTS at 2061.
      {"BASIC line with SYS",
       programat(0x0801, {0x0B, 0x08, 0x0A, 0x00, 0x9E, '2', '0', '6', '1', 0,
                          0, 0, 0x60}),
       {},
       0,
       "stop: returned to BASIC, pc $A7AE, "},
      // The same, but LDA #0 / STA $0805 wipes the SYS before the RTS.
      {"BASIC line overwritten",
       programat(0x0801, {0x0B, 0x08, 0x0A, 0x00, 0x9E, '2', '0', '6', '1', 0,
                          0, 0, 0xA9, 0x00, 0x8D, 0x05, 0x08, 0x60}),
       {},
       1,
       "stop: error: returned to BASIC, but the BASIC line it was started "
       "from has been overwritten"},
      {"jiffy clock",
       jiffysecond,
       {"--cycles", "1100000"},
       0,
       "stop: returned to BASIC, pc $A7AE, 98"},
      // NTSC's KERNAL sets its timer for a 60 Hz interrupt at NTSC's clock.
      {"jiffy clock on NTSC",
       jiffysecond,
       {"--ntsc", "--cycles", "1100000"},
       0,
       "stop: returned to BASIC, pc $A7AE, 102"}};
  for (const ending& e : endings) {
    SCOPED_TRACE(e.name);
    writedisk({{"PROGRAM", e.program}});
    std::vector<std::string> arguments = e.options;
    arguments.push_back("test.d64");
    const programrun result = run(arguments);
    EXPECT_EQ(result.status, e.status);
    EXPECT_EQ(stopline(result).rfind(e.stop, 0), 0u) << result.output;
  }
}

TEST_F(c64runtest, ProgramsLoadFilesThroughTheKernal) {
  // SETNAM "DATA", SETLFS 1,8,1, LOAD, then print the loaded byte and RTS:
  //   LDA #4 / LDX #<name / LDY #>name / JSR SETNAM
  //   LDA #1 / LDX $BA / LDY #1 / JSR SETLFS / LDA #0 / JSR LOAD
  //   LDA $2000 / JSR CHROUT / RTS / name: "DATA"
  const diskbytes loader =
      programat(0xC000, {0xA9, 0x04, 0xA2, 0x1E, 0xA0, 0xC0, 0x20, 0xBD, 0xFF,
                         0xA9, 0x01, 0xA6, 0xBA, 0xA0, 0x01, 0x20, 0xBA, 0xFF,
                         0xA9, 0x00, 0x20, 0xD5, 0xFF, 0xAD, 0x00, 0x20, 0x20,
                         0xD2, 0xFF, 0x60, 'D',  'A',  'T',  'A'});
  writedisk(
      {{"LOADER", loader}, {"DATA", programat(0x2000, diskbytes(1000, 'X'))}});

  const programrun result = run({"--dump", "2000-23E7=data.bin", "test.d64"});

  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output.rfind("X\nstop: returned to BASIC", 0), 0u)
      << result.output;
  EXPECT_EQ(readfile(work / "data.bin"), filebytes(1000, 'X'));
  // The drive's search (20,000 cycles), then 1,002 bytes at 2,500 each.
  EXPECT_NE(stopline(result).find("2525000 of them in drive reads (2.56 s)"),
            std::string::npos)
      << result.output;

  // The same file, damaged: the run ends with an error, not a hang.
  d64image image = buildimage(
      "TEST", "00",
      {{"LOADER", loader}, {"DATA", programat(0x2000, diskbytes(1000, 'X'))}});
  const d64entry data = directory(image)[1];
  sectorat(image, data.track, data.sector)[0] = 99;
  writefile(work / "test.d64",
            filebytes(image.bytes.begin(), image.bytes.end()));
  const programrun damaged = run({"test.d64"});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(stopline(damaged).rfind("stop: error: damaged image: track 99", 0),
            0u)
      << damaged.output;
}

TEST_F(c64runtest, DumpsWhatTheMachineHolds) {
  // LDA #$42 / STA $1000 / STA $1001 / JMP *, stopped before the second
  // store.
  writefile(work / "code.bin",
            {0xA9, 0x42, 0x8D, 0x00, 0x10, 0x8D, 0x01, 0x10, 0x4C, 0x08, 0x02});
  const programrun result =
      run({"--raw", "code.bin@0200", "--start", "0x200", "--stop-at", "0205",
           "--dump", "1000-1001=a.bin", "--dump", "0200-0201=b.bin"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(
      result.output,
      std::string("stop: reached the stop address, pc $0205, 6 cycles\n"));
  EXPECT_EQ(readfile(work / "a.bin"), filebytes({0x42, 0x00}));
  EXPECT_EQ(readfile(work / "b.bin"), filebytes({0xA9, 0x42}));
}

TEST_F(c64runtest, ScaledInstructionsCountTheirShareOfTheCycles) {
  // LDA #$42 (2 cycles) / STA $1000 (4) / STA $1001, stopped before it.
  writefile(work / "code.bin",
            {0xA9, 0x42, 0x8D, 0x00, 0x10, 0x8D, 0x01, 0x10, 0x4C, 0x08, 0x02});
  const struct {
    std::vector<std::string> scales;
    const char* cycles;
  } cases[] = {
      {{"0200-0204=100"}, "6"},
      {{"0200-0204=50"}, "3"},
      {{"0200-0204=1"}, "0"},
      {{"0200-0201=50"}, "5"},
      {{"0202-0202=1"}, "2"},
      {{"0203-0400=1"}, "6"},
      {{"0200-0201=50", "0202-0204=25"}, "2"},
      {{"0200-0204=50", "0200-0204=1"}, "3"},  // the first range counts
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scales.back());
    std::vector<std::string> arguments = {
        "--raw",     "code.bin@0200", "--start", "0x200",
        "--stop-at", "0205",          "--dump",  "1000-1000=a.bin"};
    for (const std::string& scale : c.scales) {
      arguments.insert(arguments.end(), {"--scale-c64", scale});
    }
    const programrun result = run(arguments);
    EXPECT_EQ(result.output, std::string("stop: reached the stop address, pc "
                                         "$0205, ") +
                                 c.cycles + " cycles\n");
    EXPECT_EQ(readfile(work / "a.bin"), filebytes({0x42}));  // the work done
  }
}

TEST_F(c64runtest, LogsWhatIsWrittenToTheSid) {
  // LDA #$0F / STA $D418 / LDA #$21 / STA $D404 / RTS
  writedisk({{"TUNE", programat(0xC000, {0xA9, 0x0F, 0x8D, 0x18, 0xD4, 0xA9,
                                         0x21, 0x8D, 0x04, 0xD4, 0x60})}});

  const programrun result = run({"--sid-log", "sid.txt", "test.d64"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(readtext(work / "sid.txt"), "6 $D418 $0F\n12 $D404 $21\n");

  // A file that cannot be written fails the run.
  for (const char* option : {"--sid-log", "--dump"}) {
    const programrun failed =
        run({option, std::string(option) == "--dump" ? "0-1=no/x" : "no/x",
             "test.d64"});
    EXPECT_EQ(failed.status, 2) << option;
  }
}

// A disk whose first program reads a sector of every track through the
// 1541's hardware and receives it over the serial bus
// (tests/c64/sectorreader.asm).
d64image readerdisk(int tracks,
                    const std::vector<std::pair<int, std::uint8_t>>& errors) {
  const filebytes reader = readfile(
      built("testbin") / ("sectorreader" + std::to_string(tracks) + ".prg"));
  return sampledisk({{"READER", diskbytes(reader.begin(), reader.end())}},
                    tracks, errors);
}

TEST_F(c64runtest, DriveCodeReadsEveryTrackThroughTheHardware) {
  struct disk {
    const char* statement;
    int tracks;
    std::vector<std::pair<int, std::uint8_t>> errors;  // image index, code
    std::vector<int> failing;                          // tracks
  };
  // Sector (t AND 15) of track t is the image's sector 21 * (t - 1) + (t
  // AND 15) for t up to 17.
  const disk disks[] = {{"35 tracks", 35, {}, {}},
                        {"40 tracks", 40, {}, {}},
                        {"sectors the error table marks",
                         35,
                         {{21 * 4 + 5, 5},     // 23, data checksum
                          {21 * 6 + 7, 3},     // 21, no sync
                          {21 * 8 + 9, 2},     // 20, no header
                          {21 * 10 + 11, 9}},  // 27, header checksum
                         {5, 7, 9, 11}}};
  for (const disk& d : disks) {
    SCOPED_TRACE(d.statement);
    const d64image image = readerdisk(d.tracks, d.errors);
    filebytes file(image.bytes.begin(), image.bytes.end());
    file.insert(file.end(), image.errors.begin(), image.errors.end());
    writefile(work / "test.d64", file);
    char range[32];
    std::snprintf(range, sizeof range, "2000-%04X=sectors.bin",
                  0x2000 + d.tracks * 256 - 1);

    const programrun result =
        run({"--dump", "1f01-1f28=status.bin", "--dump", range, "test.d64"});

    EXPECT_EQ(stopline(result).rfind("stop: returned to BASIC", 0), 0u)
        << result.output;
    const filebytes status = readfile(work / "status.bin");
    const filebytes sectors = readfile(work / "sectors.bin");
    for (int track = 1; track <= d.tracks; ++track) {
      const bool fails = std::find(d.failing.begin(), d.failing.end(), track) !=
                         d.failing.end();
      EXPECT_EQ(status[static_cast<std::size_t>(track - 1)], fails ? 1 : 0)
          << track;
      if (fails) continue;
      const std::uint8_t* expected = sectorat(image, track, track & 15);
      EXPECT_TRUE(std::equal(expected, expected + sectorsize,
                             sectors.begin() + (track - 1) * 256))
          << track;
    }
  }
}

TEST_F(c64runtest, MemoryWriteAndReadGoThroughTheCommandChannel) {
  // OPEN 15,8,15,"M-W" $0500 2 "HI" / CLOSE 15 / OPEN 15,8,15,"M-R" $0500
  // 2 / CHKIN 15 / CHRIN, CHROUT twice / CLRCHN / RTS: prints HI.
  writedisk(
      {{"MWMR",
        programat(0xC000,
                  {0xA9, 0x08, 0xA2, 0x40, 0xA0, 0xC0, 0x20, 0xBD, 0xFF, 0xA9,
                   0x0F, 0xA2, 0x08, 0xA0, 0x0F, 0x20, 0xBA, 0xFF, 0x20, 0xC0,
                   0xFF, 0xA9, 0x0F, 0x20, 0xC3, 0xFF, 0xA9, 0x06, 0xA2, 0x48,
                   0xA0, 0xC0, 0x20, 0xBD, 0xFF, 0x20, 0xC0, 0xFF, 0xA2, 0x0F,
                   0x20, 0xC6, 0xFF, 0x20, 0xCF, 0xFF, 0x20, 0xD2, 0xFF, 0x20,
                   0xCF, 0xFF, 0x20, 0xD2, 0xFF, 0x20, 0xCC, 0xFF, 0x60, 0x00,
                   0x00, 0x00, 0x00, 0x00, 'M',  '-',  'W',  0x00, 0x05, 0x02,
                   'H',  'I',  'M',  '-',  'R',  0x00, 0x05, 0x02})}});
  for (const char* kind : {"1541", "dos"}) {
    const programrun result = run(
        {"--drive", kind, "--dump-drive", "0500-0501=drive.bin", "test.d64"});
    EXPECT_EQ(result.status, 0) << kind;
    EXPECT_EQ(result.output.rfind("HI\nstop: returned to BASIC", 0), 0u)
        << result.output;
    EXPECT_EQ(readfile(work / "drive.bin"), filebytes({'H', 'I'})) << kind;
  }
}

TEST_F(c64runtest, TheDriveProfileGivesTheCyclesOfEachInstructionRun) {
  // OPEN 15,8,15,"M-W" $0500 7 bytes / CLOSE 15 / OPEN 15,8,15,"M-E" $0500
  // / CLOSE 15 / a wait / RTS. The drive runs SEI, LDX #16, DEX and BNE
  // back to it, RTS: 2, 2, 16 times 2, 15 times 3 and 2 (the last falls
  // through), and 6 cycles.
  writedisk(
      {{"ME",
        programat(0xC000,
                  {0xA9, 0x0D, 0xA2, 0x31, 0xA0, 0xC0, 0x20, 0xBD, 0xFF, 0xA9,
                   0x0F, 0xA2, 0x08, 0xA0, 0x0F, 0x20, 0xBA, 0xFF, 0x20, 0xC0,
                   0xFF, 0xA9, 0x0F, 0x20, 0xC3, 0xFF, 0xA9, 0x05, 0xA2, 0x3E,
                   0xA0, 0xC0, 0x20, 0xBD, 0xFF, 0x20, 0xC0, 0xFF, 0xA9, 0x0F,
                   0x20, 0xC3, 0xFF, 0xA2, 0x00, 0xCA, 0xD0, 0xFD, 0x60, 'M',
                   '-',  'W',  0x00, 0x05, 0x07, 0x78, 0xA2, 0x10, 0xCA, 0xD0,
                   0xFD, 0x60, 'M',  '-',  'E',  0x00, 0x05})}});
  const programrun result =
      run({"--drive-profile", "profile.txt", "test.d64"});
  EXPECT_EQ(result.status, 0) << result.output;
  const filebytes profile = readfile(work / "profile.txt");
  EXPECT_EQ(std::string(profile.begin(), profile.end()),
            "0500 2\n0501 2\n0503 32\n0504 47\n0506 6\n");
  EXPECT_EQ(run({"--drive", "dos", "--drive-profile", "p.txt", "test.d64"})
                .status,
            2);

  // At half their cycles DEX and BNE count 79 / 2, the half cycle left over;
  // the instructions around them keep theirs.
  EXPECT_EQ(run({"--drive-profile", "half.txt", "--scale-drive",
                 "0503-0504=50", "test.d64"})
                .status,
            0);
  const filebytes half = readfile(work / "half.txt");
  std::istringstream lines(std::string(half.begin(), half.end()));
  std::map<std::string, int> cycles;
  for (std::string address; lines >> address;) lines >> cycles[address];
  EXPECT_EQ(cycles["0500"], 2);
  EXPECT_EQ(cycles["0501"], 2);
  EXPECT_EQ(cycles["0503"] + cycles["0504"], 39);
  EXPECT_EQ(cycles["0506"], 6);
}

TEST_F(c64runtest, ADosDriveAnswersMemoryExecuteWithAnError) {
  // SETNAM "M-E" $0400 / SETLFS 15,8,15 / OPEN / CHKIN 15 / CHRIN,
  // CHROUT twice / RTS: prints the status's error number.
  writedisk(
      {{"ME", programat(0xC000, {0xA9, 0x05, 0xA2, 0x2A, 0xA0, 0xC0, 0x20, 0xBD,
                                 0xFF, 0xA9, 0x0F, 0xA2, 0x08, 0xA0, 0x0F, 0x20,
                                 0xBA, 0xFF, 0x20, 0xC0, 0xFF, 0xA2, 0x0F, 0x20,
                                 0xC6, 0xFF, 0x20, 0xCF, 0xFF, 0x20, 0xD2, 0xFF,
                                 0x20, 0xCF, 0xFF, 0x20, 0xD2, 0xFF, 0x60, 0x00,
                                 0x00, 0x00, 'M',  '-',  'E',  0x00, 0x04})}});
  const programrun result = run({"--drive", "dos", "test.d64"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output.rfind("31\nstop: returned to BASIC", 0), 0u)
      << result.output;
}

TEST_F(c64runtest, BadUsageAndUnreadableImagesEndWithStatusTwo) {
  writefile(work / "short.d64", filebytes(1000));
  writedisk({{"BASIC", programat(0x0801, {0x0B, 0x08, 0x0A, 0x00, 0x99, '"',
                                          'A', '"', 0, 0, 0})}});
  const std::vector<std::vector<std::string>> calls = {
      {},
      {"a.d64", "b.d64"},
      {"--bogus", "test.d64"},
      {"--cycles", "many", "test.d64"},
      {"--stop-at", "12345", "test.d64"},
      {"--dump", "2000-1000=x.bin", "test.d64"},
      {"--dump", "2000", "test.d64"},
      {"--drive", "1571", "test.d64"},
      {"--dump-drive", "0700-0800=x.bin", "test.d64"},
      {"--quirk", "jiffy", "test.d64"},
      {"--scale-c64", "2000-1000=50", "test.d64"},
      {"--scale-c64", "1000-2000=101", "test.d64"},
      {"--scale-c64", "1000-2000=0", "test.d64"},
      {"--scale-c64", "1000-2000", "test.d64"},
      {"--drive", "dos", "--scale-drive", "0500-0600=50", "test.d64"},
      {"--raw", "code.bin@0200"},
      {"--ntsc", "--raw", "code.bin@0200", "--start", "0200"},
      {"--start", "0200", "test.d64"},
      {"--raw", "missing.bin@0200", "--start", "0200"},
      {"missing.d64"},
      {"short.d64"},
      {"test.d64"},  // BASIC without a SYS: nothing to start
  };
  for (const std::vector<std::string>& arguments : calls) {
    SCOPED_TRACE(arguments.empty() ? "" : arguments[0]);
    const programrun result = run(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.output, "");
  }
}

}  // namespace
