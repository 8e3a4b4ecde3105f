// The 1541's parts, each case a statement of the 6522 data sheet, of the
// drive's address decoding, of how its disk passes under the head or of
// the serial bus's lines.

#include "drive.h"

#include <gtest/gtest.h>

#include <vector>

#include "cpu.h"
#include "disksurface.h"
#include "drivehardware.h"
#include "drivememory.h"
#include "runerror.h"
#include "sampledisk.h"
#include "serialbus.h"
#include "timeouts.h"
#include "via.h"

namespace {

// VIA timeouts, the flag cleared by writing it as it comes.
std::vector<std::uint64_t> flagged(via& chip, std::uint8_t flag,
                                   std::uint64_t until) {
  return timeouts(chip, until, [&](std::uint64_t at) {
    const bool set = chip.read(0xD, at) & flag;
    chip.write(0xD, flag, at);
    return set;
  });
}

TEST(via, TimersRunOutOnTheirPeriodInEachMode) {
  struct mode {
    const char* statement;
    std::vector<std::pair<unsigned, std::uint8_t>> writes;  // at cycle 0
    std::uint8_t flag;
    std::vector<std::uint64_t> timeouts;
  };
  const mode modes[] = {
      {"timer 1 one-shot: N + 1 cycles, once",
       {{0x4, 99}, {0x5, 0}},
       0x40,
       {100}},
      {"timer 1 free-running: then every N + 2",
       {{0xB, 0x40}, {0x4, 99}, {0x5, 0}},
       0x40,
       {100, 201, 302}},
      {"timer 2: one-shot only", {{0x8, 49}, {0x9, 0}}, 0x20, {50}},
      {"nothing runs before the high byte is written",
       {{0x4, 99}, {0x8, 49}},
       0x60,
       {}}};
  for (const mode& m : modes) {
    via chip;
    for (const auto& [reg, value] : m.writes) chip.write(reg, value, 0);
    EXPECT_EQ(flagged(chip, m.flag, 350), m.timeouts) << m.statement;
  }
}

TEST(via, CountersCountDownAndOnPastZero) {
  via chip;
  chip.write(0x4, 99, 0);
  chip.write(0x5, 0, 0);
  EXPECT_EQ(chip.read(0x4, 10), 89);
  EXPECT_EQ(chip.read(0x5, 10), 0);
  EXPECT_EQ(chip.read(0x4, 100) | chip.read(0x5, 100) << 8, 0xFFFF);
  EXPECT_EQ(chip.read(0x4, 101), 0xFE) << "a one-shot counts on";
  // Free-running, it reloads from the latch as the latch is now.
  chip.write(0xB, 0x40, 200);
  chip.write(0x5, 0, 200);
  chip.write(0x6, 9, 250);  // the latch alone: the counter runs on
  EXPECT_EQ(chip.read(0x4, 260), 39);
  EXPECT_EQ(flagged(chip, 0x40, 330),
            (std::vector<std::uint64_t>{300, 311, 322}));
}

TEST(via, FlagsInterruptOnlyWhenEnabledAndClearAsTheDataSheetSays) {
  via chip;
  chip.write(0x4, 9, 0);
  chip.write(0x5, 0, 0);
  chip.service();
  EXPECT_EQ(chip.read(0xD, 11), 0x40) << "flagged, not enabled";
  EXPECT_FALSE(chip.interrupt());
  chip.write(0xE, 0xC0, 11);  // bit 7 set: set the bits given
  EXPECT_TRUE(chip.interrupt());
  EXPECT_EQ(chip.read(0xD, 11), 0xC0);
  EXPECT_EQ(chip.read(0xE, 11), 0xC0);
  chip.read(0x4, 12);  // reading timer 1's low byte clears its flag
  EXPECT_FALSE(chip.interrupt());
  chip.write(0x5, 0, 20);
  chip.service();
  EXPECT_TRUE(chip.interrupt());
  chip.write(0xD, 0x40, 40);  // 1s clear
  EXPECT_FALSE(chip.interrupt());
  chip.write(0xE, 0x40, 40);  // bit 7 clear: clear the bits given
  EXPECT_EQ(chip.read(0xE, 40), 0x80);
}

TEST(via, Ca1AndCb1FlagTheEdgeThePeripheralControlChooses) {
  struct edge {
    const char* statement;
    std::uint8_t control;
    bool ca1from, ca1to;
    bool flagged;
  };
  const edge edges[] = {
      {"a falling edge by default", 0x00, true, false, true},
      {"not a rising one", 0x00, false, true, false},
      {"a rising edge with bit 0 set", 0x01, false, true, true},
      {"no edge, no flag", 0x01, true, true, false}};
  for (const edge& e : edges) {
    via chip;
    chip.write(0xC, e.control, 0);
    chip.ca1(e.ca1from);
    chip.read(0x1, 0);  // reading port A clears the flag the first level set
    chip.ca1(e.ca1to);
    EXPECT_EQ((chip.read(0xD, 0) & 0x02) != 0, e.flagged) << e.statement;
  }
  via chip;
  chip.cb1(false);
  EXPECT_EQ(chip.read(0xD, 0) & 0x10, 0x10);
  chip.read(0x0, 0);  // reading port B clears it
  EXPECT_EQ(chip.read(0xD, 0) & 0x10, 0);
}

TEST(via, PortsDriveTheirOutputsAndReadTheirInputs) {
  via chip;
  chip.inputsb = 0x5A;
  chip.write(0x2, 0x0F, 0);  // the low half out
  chip.write(0x0, 0xFF, 0);
  EXPECT_EQ(chip.read(0x0, 0), 0x5F);
  EXPECT_EQ(chip.portb(), 0x5F);
  chip.inputsa = 0xC3;
  EXPECT_EQ(chip.read(0x1, 0), 0xC3) << "all inputs after reset";
}

TEST(drivememory, TheAddressDecodingMirrorsRamAndTheVias) {
  drivememory drive;
  drive.write(0x0005, 0x42);
  for (const std::uint16_t mirror : {0x0805, 0x2005, 0x6805}) {
    EXPECT_EQ(drive.read(mirror), 0x42) << mirror;
  }
  drive.write(0x1802, 0xFF);  // VIA 1's DDRB
  EXPECT_EQ(drive.read(0x1812), 0xFF) << "16 registers repeat";
  EXPECT_EQ(drive.read(0x3BF2), 0xFF) << "through the 1 KB, every 8 KB";
  EXPECT_EQ(drive.read(0x1C02), 0x00) << "VIA 2's is its own";
  EXPECT_EQ(drive.read(0x1000), 0xFF) << "nothing at $1000-$17FF";
  EXPECT_EQ(drive.read(0xC000), 0x97) << "the 1541 family's first ROM byte";
  EXPECT_EQ(drive.read(0xFFFC) | drive.read(0xFFFD) << 8, 0xEAA0) << "reset";
  EXPECT_EQ(drive.read(0xC001), 0x00) << "no other ROM";
  EXPECT_TRUE(drivememory::inrom(0x8000));
  EXPECT_FALSE(drivememory::inrom(0x7FFF));
}

TEST(drivecpu, RunsOnTheDrivesBusAtItsOwnClock) {
  // LDA #0 / STA $1C05 (VIA 2's timer 1 starts from $00FF) / LDA $0500 /
  // STA $0D01 (RAM's mirror at $0800) / JMP *
  drivememory drive;
  const std::uint8_t code[] = {0xA9, 0x00, 0x8D, 0x05, 0x1C, 0xAD, 0x00,
                               0x05, 0x8D, 0x01, 0x0D, 0x4C, 0x0B, 0x03};
  std::copy(std::begin(code), std::end(code), drive.ram.begin() + 0x300);
  drive.ram[0x500] = 0x77;
  drivecpu processor(drive);
  processor.pc = 0x300;
  while (!processor.jumpedtoitself) processor.step();
  EXPECT_EQ(drive.cycles, 2u + 4 + 4 + 4 + 3);
  EXPECT_EQ(drive.ram[0x501], 0x77);
  EXPECT_EQ(drive.read(0x1C04), 0xFF - (17 - 6));
}

}  // namespace

namespace {

void load(drivehardware& drive, std::uint16_t address,
          const std::vector<std::uint8_t>& code) {
  std::copy(code.begin(), code.end(), drive.bus.ram.begin() + address);
  drive.processor.pc = address;
}

// With the motor on at the zone's density and SO on, NOPs run while the
// disk turns: the cycle and byte of every byte ready, for one turn and a
// bit more.
std::vector<std::pair<std::uint64_t, std::uint8_t>> bytesready(
    drivehardware& drive, std::uint8_t zone) {
  drive.bus.write(0x1C0C, 0xEE);
  drive.bus.write(0x1C02, 0x6F);
  drive.bus.write(0x1C00, static_cast<std::uint8_t>(0x04 | zone << 5));
  std::vector<std::uint8_t> nops(0x700, 0xEA);
  std::vector<std::pair<std::uint64_t, std::uint8_t>> ready;
  while (drive.bus.cycles < 210000) {
    load(drive, 0x0000, nops);
    while (drive.processor.pc < 0x6F0) {
      drive.step();
      if (drive.processor.p & overflowflag) {
        drive.processor.p &= static_cast<std::uint8_t>(~overflowflag);
        ready.emplace_back(drive.bus.cycles, drive.bus.read(0x1C01));
      }
    }
  }
  return ready;
}

TEST(drivehardware, BytesPassAtTheZonesRateAndTheDiskTurnsIn200Ms) {
  struct zonecase {
    unsigned track;
    std::uint8_t zone;
    unsigned cycles;
  };
  const d64image image = sampledisk();
  for (const zonecase& z : {zonecase{1, 3, 26}, zonecase{18, 2, 28},
                            zonecase{25, 1, 30}, zonecase{31, 0, 32}}) {
    SCOPED_TRACE(z.track);
    drivehardware drive(image);
    drive.halftrack = z.track * 2;
    const auto ready = bytesready(drive, z.zone);
    ASSERT_GT(ready.size(), 1000u);
    // From a header's first byte on, after its sync mark's silence (the
    // track starts at its own angle).
    std::size_t first = 1;
    while (first < ready.size() &&
           !(ready[first].second == 0x52 &&
             ready[first].first - ready[first - 1].first > 2 * z.cycles)) {
      ++first;
    }
    ASSERT_LT(first + 200, ready.size());
    // Next to each other inside a block, at the zone's rate (an
    // instruction's end is when the processor sees it).
    EXPECT_NEAR(static_cast<double>(ready[first + 101].first -
                                    ready[first + 100].first),
                z.cycles, 2);
    // Ten bytes from there come round again a turn later.
    const auto from = ready.begin() + static_cast<std::ptrdiff_t>(first);
    std::size_t again = first + 10;
    while (again + 10 < ready.size() &&
           !std::equal(from, from + 10,
                       ready.begin() + static_cast<std::ptrdiff_t>(again),
                       [](const auto& a, const auto& b) {
                         return a.second == b.second;
                       })) {
      ++again;
    }
    ASSERT_LT(again + 10, ready.size());
    EXPECT_NEAR(static_cast<double>(ready[again].first - ready[first].first),
                200000, 100);
  }
}

// Whether the 10 bytes are the GCR of a header of the track on the sample
// disk (ID "AB").
bool isheaderof(int track, const std::uint8_t* bytes) {
  for (int sector = 0; sector < sectorspertrack(track); ++sector) {
    const auto s = static_cast<std::uint8_t>(sector);
    const auto t = static_cast<std::uint8_t>(track);
    const std::uint8_t header[8] = {
        0x08, static_cast<std::uint8_t>(s ^ t ^ 'A' ^ 'B'),
        s,    t,
        'B',  'A',
        0x0F, 0x0F};
    std::uint8_t gcr[10];
    gcrencode(header, gcr);
    gcrencode(header + 4, gcr + 5);
    if (std::equal(gcr, gcr + 10, bytes)) return true;
  }
  return false;
}

TEST(drivehardware, AProgramFindsASyncAndReadsAHeader) {
  // PCR $EE (byte ready to SO), DDRB $6F, motor on at density 2 (track
  // 18), wait for SYNC, then read 10 bytes to $0500 on byte ready.
  const d64image image = sampledisk();
  drivehardware drive(image);
  load(drive, 0x0300,
       {0xA9, 0xEE, 0x8D, 0x0C, 0x1C, 0xA9, 0x6F, 0x8D, 0x02, 0x1C,
        0xA9, 0x44, 0x8D, 0x00, 0x1C, 0x2C, 0x00, 0x1C, 0x30, 0xFB,
        0xB8, 0xA2, 0x00, 0x50, 0xFE, 0xB8, 0xAD, 0x01, 0x1C, 0x9D,
        0x00, 0x05, 0xE8, 0xE0, 0x0A, 0xD0, 0xF2, 0x4C, 0x25, 0x03});
  // BVC * waits for each byte, so the end is the JMP at $0325.
  while (drive.processor.pc != 0x0325 && drive.bus.cycles < 400000) {
    drive.step();
  }

  EXPECT_TRUE(isheaderof(18, drive.bus.ram.begin() + 0x500));
}

TEST(drivehardware, ABlocksFirstByteIsReadyAByteAfterSyncGoes) {
  // So that code which sees SYNC low and then clears V never misses it.
  drivehardware drive(sampledisk());
  load(drive, 0x0000, std::vector<std::uint8_t>(0x700, 0xEA));
  bool low = false;
  std::uint64_t wentup = 0;
  int blocks = 0;
  while (blocks < 10 && drive.bus.cycles < 100000) {
    if (drive.processor.pc >= 0x6F0) drive.processor.pc = 0;
    drive.step();
    const bool nowlow = !(drive.bus.read(0x1C00) & 0x80);
    if (low && !nowlow) wentup = drive.bus.cycles;
    low = nowlow;
    if (drive.processor.p & overflowflag) {
      drive.processor.p &= static_cast<std::uint8_t>(~overflowflag);
      if (wentup == 0) continue;
      EXPECT_GE(drive.bus.cycles - wentup, 26u) << blocks;
      const std::uint8_t first = drive.bus.read(0x1C01);
      EXPECT_TRUE(first == 0x52 || first == 0x55) << blocks;
      wentup = 0;
      ++blocks;
    }
  }
  EXPECT_EQ(blocks, 10);
}

TEST(drivehardware, WhatTheModelLeavesOutIsARunError) {
  struct refusal {
    const char* statement;
    std::uint16_t at;
    std::vector<std::uint8_t> code;
    const char* message;
  };
  const refusal refusals[] = {
      {"code in the ROM area", 0xC000, {}, "the drive ran into ROM at $C000"},
      // LDA #$CE / STA $1C0C: CB2 low, the head writes
      {"writing",
       0x0300,
       {0xA9, 0xCE, 0x8D, 0x0C, 0x1C},
       "the drive switched its head to writing, which is not modelled"},
      // LDA #$A0 / STA $1C0E / LDA #0 / STA $1C09 / CLI / JMP *: timer 2's
      // IRQ, 256 cycles on, which the DOS's handler leaves set
      {"an interrupt the DOS does not serve",
       0x0300,
       {0xA9, 0xA0, 0x8D, 0x0E, 0x1C, 0xA9, 0x00, 0x8D, 0x09, 0x1C, 0x58, 0x4C,
        0x0B, 0x03},
       "the drive took an interrupt its DOS does not acknowledge"}};
  for (const refusal& r : refusals) {
    drivehardware drive(sampledisk());
    if (!r.code.empty()) load(drive, r.at, r.code);
    drive.processor.pc = r.at;
    drive.processor.p &= static_cast<std::uint8_t>(~interruptflag);
    try {
      for (int i = 0; i < 1000; ++i) drive.step();
      ADD_FAILURE() << r.statement;
    } catch (const runerror& error) {
      EXPECT_STREQ(error.what(), r.message) << r.statement;
    }
  }
}

TEST(drivehardware, ItStartsAsTheDosLeavesItAfterARead) {
  drivehardware drive(sampledisk());
  drive.rest(17);
  struct setting {
    const char* statement;
    std::uint16_t address;
    std::uint8_t mask;
    std::uint8_t value;
  };
  for (const setting& s :
       {setting{"VIA 1: DATA, CLK and ATNA outputs", 0x1802, 0xFF, 0x1A},
        setting{"VIA 1: all released", 0x1800, 0x1A, 0x00},
        setting{"VIA 1: CA1 (ATN) on its rising edge", 0x180C, 0xFF, 0x01},
        setting{"VIA 1: ATN interrupts", 0x180E, 0xFF, 0x82},
        setting{"VIA 2: stepper, motor, LED, density outputs", 0x1C02, 0xFF,
                0x6F},
        setting{"VIA 2: motor on, LED off, track 17's density", 0x1C00, 0x6C,
                0x64},
        setting{"VIA 2: byte ready to SO, reading", 0x1C0C, 0xFF, 0xEE},
        setting{"VIA 2: timer 1 free-running, port A latched", 0x1C0B, 0xFF,
                0x41},
        setting{"VIA 2: timer 1 interrupts", 0x1C0E, 0xFF, 0xC0},
        setting{"VIA 2: timer 1 every $3A00 cycles", 0x1C07, 0xFF, 0x3A},
        setting{"the DOS's record of the head's track", 0x0022, 0xFF, 17}}) {
    EXPECT_EQ(drive.bus.read(s.address) & s.mask, s.value) << s.statement;
  }
  EXPECT_EQ(drive.halftrack, 34u);
  drive.stalerecord = true;
  drive.rest(17);
  EXPECT_EQ(drive.bus.read(0x0022), 18) << "a stale record";
}

TEST(drivehardware, AProgramThatSetsNothingUpReadsAHeaderThroughTheHardware) {
  // As M-E starts it after the DOS read track 17, interrupts on: wait for
  // SYNC, read 10 bytes to $0500 on byte ready, again until they are a
  // header's. The DOS's timer interrupts meanwhile, and returns.
  drivehardware drive(sampledisk());
  drive.rest(17);
  load(drive, 0x0300,
       {0x2C, 0x00, 0x1C, 0x30, 0xFB, 0xB8, 0xA2, 0x00, 0x50, 0xFE, 0xB8,
        0xAD, 0x01, 0x1C, 0x9D, 0x00, 0x05, 0xE8, 0xE0, 0x0A, 0xD0, 0xF2,
        0xAD, 0x00, 0x05, 0xC9, 0x52, 0xD0, 0xE3, 0x4C, 0x1D, 0x03});
  drive.processor.p &= static_cast<std::uint8_t>(~interruptflag);
  while (drive.processor.pc != 0x031D && drive.bus.cycles < 400000) {
    drive.step();
  }
  EXPECT_TRUE(isheaderof(17, drive.bus.ram.begin() + 0x500));
  // Past the timer's next run-out the interrupt has pushed the JMP *'s
  // address, and the handler has gone back there.
  const std::uint64_t until = drive.bus.cycles + 2 * 0x3A00;
  while (drive.bus.cycles < until) drive.step();
  EXPECT_EQ(drive.bus.ram[0x1FF], 0x03);
  EXPECT_EQ(drive.bus.ram[0x1FE], 0x1D);
  EXPECT_EQ(drive.processor.pc, 0x031D);
  EXPECT_EQ(drive.processor.sp, 0xFF);
}

TEST(drivehardware, TheStepperMovesTheHeadHalfATrackAPhase) {
  drivehardware drive(sampledisk());
  drive.bus.write(0x1C02, 0x6F);
  load(drive, 0x0300, std::vector<std::uint8_t>(0x100, 0xEA));
  const auto drivephase = [&](int phase) {
    drive.bus.write(0x1C00, static_cast<std::uint8_t>(phase & 3));
    drive.step();
  };
  // Track 18 is half track 36, phase 0 of the stepper.
  for (int phase = 1; phase <= 4; ++phase) drivephase(phase);
  EXPECT_EQ(drive.halftrack, 40u) << "two tracks up";
  for (int phase = 3; phase >= -2; --phase) drivephase(phase);
  EXPECT_EQ(drive.halftrack, 34u) << "three tracks down";
  drivephase(0);
  drivephase(2);  // a phase opposite: no pull either way
  EXPECT_EQ(drive.halftrack, 34u);
}

}  // namespace

namespace {

TEST(serialbus, LinesAreLowWhileEitherSidePullsThem) {
  struct levels {
    const char* statement;
    std::uint8_t c64;     // CIA 2's port A: ATN 3, CLK 4, DATA 5 pull
    std::uint8_t drive;   // VIA 1's port B: DATA 1, CLK 3 pull, ATNA 4
    bool atn, clk, data;  // low
  };
  const levels cases[] = {
      {"all released", 0x00, 0x00, false, false, false},
      {"the C64 pulls CLK", 0x10, 0x00, false, true, false},
      {"the drive pulls CLK", 0x00, 0x08, false, true, false},
      {"the C64 pulls DATA", 0x20, 0x00, false, false, true},
      {"the drive pulls DATA", 0x00, 0x02, false, false, true},
      {"ATN pulls DATA through the gate", 0x08, 0x00, true, false, true},
      {"ATNA set answers ATN: DATA free", 0x08, 0x10, true, false, false},
      {"ATNA set without ATN pulls DATA", 0x00, 0x10, false, false, true}};
  for (const levels& l : cases) {
    cia computer;
    via drive;
    computer.write(0x2, 0x3F, 0);
    computer.write(0x0, static_cast<std::uint8_t>(0x07 | l.c64), 0);
    drive.write(0x2, 0x1A, 0);
    drive.write(0x0, l.drive, 0);
    connectbus(computer, drive);
    const std::uint8_t c64reads = computer.read(0x0, 0);
    const std::uint8_t drivereads = drive.read(0x0, 0);
    EXPECT_EQ((c64reads & 0x40) == 0, l.clk) << l.statement;
    EXPECT_EQ((c64reads & 0x80) == 0, l.data) << l.statement;
    EXPECT_EQ((drivereads & 0x04) != 0, l.clk) << l.statement;
    EXPECT_EQ((drivereads & 0x01) != 0, l.data) << l.statement;
    EXPECT_EQ((drivereads & 0x80) != 0, l.atn) << l.statement;
    EXPECT_EQ(drivereads & 0x60, 0) << "device 8";
  }
}

}  // namespace

TEST(drivedos, AFileReadsUpToTheFirstSectorTheErrorTableMarks) {
  // The error table's 5 is the DOS's 23, a data block's checksum wrong.
  const d64image clean = sampledisk();
  const std::size_t third = chainof(clean, "DATA")[2];
  drive unit =
      makedrive(sampledisk({}, 35, {{static_cast<int>(third), 5}}), false);

  openchannel(unit, 2, "DATA", 0);
  std::size_t bytes = 0;
  for (drivebyte byte; !(byte = readchannel(unit, 2)).nodata; ++bytes) {
    EXPECT_FALSE(byte.last) << "a read error is no end of file";
  }
  EXPECT_EQ(bytes, 2u * 254) << "the two blocks before it";
  EXPECT_EQ(unit.status.rfind("23,READ ERROR,", 0), 0u) << unit.status;
  EXPECT_FALSE(loadfile(unit, "DATA")) << "LOAD fails the file";
}
