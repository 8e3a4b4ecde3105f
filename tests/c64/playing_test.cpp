// A production that plays while it loads: the example's tune through the
// loading and decrunching of the parts after it, parts in the RAM beneath
// I/O and the KERNAL, and running parts that load the next part
// themselves.

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "bootdisk.h"
#include "runerror.h"
#include "tvsystem.h"

namespace {

using playing = bootdisk;

struct tuneframes {
  std::uint64_t played = 0;  // frames in which the SID was written
  std::uint64_t passed = 0;  // frames from the first write to the last
};

// From c64run's SID log, one "cycle register value" line per write, in
// the frames of the machine's system.
tuneframes framesof(const std::string& log, const tvsystem& system = pal) {
  const std::uint64_t frame = system.cyclesperframe();
  std::istringstream lines(log);
  std::set<std::uint64_t> frames;
  std::string reg, value;
  for (std::uint64_t cycle; lines >> cycle >> reg >> value;) {
    frames.insert(cycle / frame);
  }
  if (frames.empty()) return {};
  return {frames.size(), *frames.rbegin() - *frames.begin() + 1};
}

filebytes tune() { return readfile(built("examples") / "intro.prg"); }

filebytes slice(const filebytes& program, std::size_t from, std::size_t size) {
  return filebytes(
      program.begin() + 2 + static_cast<std::ptrdiff_t>(from),
      program.begin() + 2 + static_cast<std::ptrdiff_t>(from + size));
}

filebytes randomat(std::uint16_t address, std::size_t size, unsigned seed) {
  filebytes bytes(size);
  for (std::uint8_t& byte : bytes) {
    seed = seed * 1103515245 + 12345;
    byte = static_cast<std::uint8_t>(seed >> 16);
  }
  return programat(address, bytes);
}

// A part at $0801 that writes the SID from an NMI handler it installs
// through $0318, on CIA 2's timer A twice a frame (9,828 cycles): the
// model spends the KERNAL's serial bus time a byte's worth (up to 2,500
// cycles) at a step, which holds NMIs back as long, so a player once a
// frame would leave frames without a write at some phases and not at
// others:
//   SEI / the vector / the timer's latch / start it / NMIs on / CLI / RTS,
//   and the handler: PHA / LDA #$0F / STA $D418 / LDA $DD0D / PLA / RTI.
filebytes nmiplayer() {
  return programat(
      0x0801,
      {0x78, 0xA9, 0x22, 0x8D, 0x18, 0x03, 0xA9, 0x08, 0x8D, 0x19, 0x03,
       0xA9, 0x63, 0x8D, 0x04, 0xDD, 0xA9, 0x26, 0x8D, 0x05, 0xDD, 0xA9,
       0x11, 0x8D, 0x0E, 0xDD, 0xA9, 0x81, 0x8D, 0x0D, 0xDD, 0x58, 0x60,
       0x48, 0xA9, 0x0F, 0x8D, 0x18, 0xD4, 0xAD, 0x0D, 0xDD, 0x68, 0x40});
}

// A part at $0801 that keeps the machine busy: a raster interrupt on the
// line before each bad line ($32, $3A, ... $F2) switches the VIC-II's
// bank between 0 and 1 in $DD00, as a raster split does (bits 3-5 clear,
// as parts write it on the fast path, and the low bits the loader reads
// the bus through changing under it), and writes the SID; eight sprites
// are on, CIA 1's timer interrupt off:
//   SEI / CIA 1 off / the vector / the first line / display on / raster
//   interrupts on / sprites on / their places / CLI / RTS, and the
//   handler: LDA $D012 / AND #$08 / LSR x3 / ORA #$02 / STA $DD00 /
//   INC $D019 / LDA #$0F / STA $D418 / the next line, 8 on and back to $32
//   after $F2 / JMP $EA81.
filebytes busyplayer() {
  return programat(
      0x0801,
      {0x78, 0xA9, 0x7F, 0x8D, 0x0D, 0xDC, 0xA9, 0x31, 0x8D, 0x14, 0x03,
       0xA9, 0x08, 0x8D, 0x15, 0x03, 0xA9, 0x32, 0x8D, 0x12, 0xD0, 0xA9,
       0x1B, 0x8D, 0x11, 0xD0, 0xA9, 0x01, 0x8D, 0x1A, 0xD0, 0xA9, 0xFF,
       0x8D, 0x15, 0xD0, 0xA2, 0x0F, 0xA9, 0x80, 0x9D, 0x00, 0xD0, 0xCA,
       0x10, 0xFA, 0x58, 0x60, 0xAD, 0x12, 0xD0, 0x29, 0x08, 0x4A, 0x4A,
       0x4A, 0x09, 0x02, 0x8D, 0x00, 0xDD, 0xEE, 0x19, 0xD0, 0xA9, 0x0F,
       0x8D, 0x18, 0xD4, 0xAD, 0x12, 0xD0, 0x18, 0x69, 0x08, 0x29, 0xF8,
       0x09, 0x02, 0xC9, 0xFA, 0x90, 0x02, 0xA9, 0x32, 0x8D, 0x12, 0xD0,
       0x4C, 0x81, 0xEA});
}

TEST_F(playing, MusicPlaysOnWhile36KbOfPartsLoadAndDecrunch) {
  // Three data parts of compiled C, 12 KB each, load over each other at
  // $1000, beside the music at $0801: the example's tune on a raster
  // interrupt through $0314, a player on CIA 2's NMI through $0318, or one
  // on a raster interrupt before every bad line, switching the VIC-II's
  // bank there, with eight sprites on.
  const filebytes compiled = readfile(built("corpus") / "combined.prg");
  const filebytes last = slice(compiled, 24000, 12000);
  for (const auto& [music, start] :
       {std::pair<filebytes, const char*>{tune(), "0801"},
        std::pair<filebytes, const char*>{nmiplayer(), "0801"},
        std::pair<filebytes, const char*>{busyplayer(), "0801"}}) {
    builddisk({{"music", music},
               {"one", programat(0x1000, slice(compiled, 0, 12000))},
               {"two", programat(0x1000, slice(compiled, 12000, 12000))},
               {"three", programat(0x1000, last)},
               {"end", printer(0xC000, 'E')}},
              std::string("music.prg ") + start +
                  "\none.prg\ntwo.prg\nthree.prg\nend.prg c000\n");

    // Through either path on a PAL C64, and through the drive code on an
    // NTSC one, whose steps are the shortest in time.
    struct path {
      const char* drive;
      const tvsystem& system;
      std::vector<std::string> options;
    };
    for (const path& way : {path{"1541", pal, {}},
                            path{"1541", ntsc, {"--ntsc"}},
                            path{"dos", pal, {}}}) {
      std::vector<std::string> arguments = {"--sid-log", "sid.txt", "--dump",
                                            "1000-3EDF=three.bin"};
      arguments.insert(arguments.end(), way.options.begin(), way.options.end());
      const programrun run = bootwith(way.drive, arguments);

      SCOPED_TRACE(std::string(way.drive) + " on " + way.system.name);
      EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0),
                0u)
          << run.output;
      EXPECT_EQ(readfile(work / "three.bin"), last);
      const tuneframes frames = framesof(readtext(work / "sid.txt"), way.system);
      EXPECT_GT(frames.passed, 3u * 50) << "36 KB take seconds at any speed";
      EXPECT_GE(frames.played * 100, frames.passed * 99)
          << frames.played << " of " << frames.passed;
    }
  }
}

TEST_F(playing, PartsBeneathIoAndTheKernalArriveIntact) {
  // The last one reaches $FFFF: it brings its own vectors and decrunches
  // with interrupts held off.
  const filebytes io = randomat(0xD400, 0x0A00, 1);
  const filebytes kernal = randomat(0xE000, 0x1700, 2);
  const filebytes top = randomat(0xF800, 0x0800, 3);
  builddisk({{"tune", tune()},
             {"io", io},
             {"kernal", kernal},
             {"top", top},
             {"end", printer(0xC000, 'E')}},
            "tune.prg 0801\nio.prg\nkernal.prg\ntop.prg\nend.prg c000\n");

  const programrun run =
      boot({"--sid-log", "sid.txt", "--dump", dumpof(io, "io.bin"), "--dump",
            dumpof(kernal, "kernal.bin"), "--dump", dumpof(top, "top.bin")});

  EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0), 0u)
      << run.output;
  EXPECT_NE(run.output.find("PRODUCTION\nE\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(readfile(work / "io.bin"), filebytes(io.begin() + 2, io.end()));
  EXPECT_EQ(readfile(work / "kernal.bin"),
            filebytes(kernal.begin() + 2, kernal.end()));
  EXPECT_EQ(readfile(work / "top.bin"), filebytes(top.begin() + 2, top.end()));
}

TEST_F(playing, ARunningPartLoadsTheNextOneOrIsToldWhyNot) {
  // At the caller's address: JSR loadnext / PHP / STA $C100 / PLA / AND #1
  // / STA $C101 / RTS: A and the carry, the flags loadnext promises.
  const auto callerat = [](std::uint16_t address) {
    return programat(address, {0x20, 0x34, 0x03, 0x08, 0x8D, 0x00, 0xC1, 0x68,
                               0x29, 0x01, 0x8D, 0x01, 0xC1, 0x60});
  };
  struct call {
    const char* statement;
    std::uint16_t caller;
    std::vector<std::pair<std::string, filebytes>> next;
    std::uint8_t a;  // why, when the carry is set
    bool carry;
    const char* lastheader;  // a part the boot program loads shows it
  };
  const call calls[] = {
      {"the next part loads, and is started without loading it again",
       0xC000,
       {{"next", printer(0x0801, 'N')}},
       0,  // not looked at: the carry is clear
       false,
       "HEADER OF CALLER........................"},
      {"a part that would load over the caller is refused, and loaded after",
       0xC000,
       {{"next", printer(0xC000, 'N')}},
       2,
       true,
       "HEADER OF NEXT.........................."},
      // The refused head's last pair leaves CLK held (its last page has
      // bit 6 clear), which the drive must not take for busy.
      {"a part refused at $8000 is loaded after as well",
       0x8000,
       {{"next", printer(0x8000, 'N')}},
       2,
       true,
       "HEADER OF NEXT.........................."},
      {"with no part left there is nothing to load",
       0xC000,
       {},
       1,
       true,
       "HEADER OF CALLER........................"}};
  for (const call& c : calls) {
    SCOPED_TRACE(c.statement);
    std::vector<std::pair<std::string, filebytes>> programs = {
        {"caller", callerat(c.caller)}};
    std::string list = "caller.prg " + hex4(c.caller) + "\n";
    for (const auto& [name, bytes] : c.next) {
      programs.emplace_back(name, bytes);
      list += name + ".prg " + hex4(bytes[0] | bytes[1] << 8) + "\n";
    }
    builddisk(programs, list);

    const programrun run = boot({"--dump", "c100-c101=answer.bin"});

    EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0), 0u)
        << run.output;
    const filebytes answer = readfile(work / "answer.bin");
    ASSERT_EQ(answer.size(), 2u);
    EXPECT_EQ((answer[1] & 1) != 0, c.carry);
    if (c.carry) {
      EXPECT_EQ(answer[0], c.a);
    }
    EXPECT_EQ(screenrows(run)[0], c.lastheader);
    EXPECT_EQ(run.output.find("\nN\n") != std::string::npos, !c.next.empty())
        << run.output;
  }
}

}  // namespace
