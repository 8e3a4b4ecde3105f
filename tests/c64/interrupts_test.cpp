// The interrupt sources of the C64 model and the processor's answer to
// them, each case a statement of the VIC-II, 6526 and 6502 data sheets.

#include <gtest/gtest.h>

#include <vector>

#include "cia.h"
#include "machine.h"
#include "runerror.h"
#include "timeouts.h"
#include "vic.h"

namespace {

// The cycles at which the VIC-II's raster interrupt comes in the first
// frames, each acknowledged as it comes.
std::vector<std::uint64_t> rasterinterrupts(vic& chip, const tvsystem& system,
                                            int frames) {
  return timeouts(chip, frames * system.cyclesperframe(),
                  [&](std::uint64_t at) {
                    if (!chip.interrupt()) return false;
                    chip.write(0x19, 0x01, at);
                    return true;
                  });
}

std::uint64_t stolenperframe(vic& chip) {
  std::uint64_t stolen = 0;
  while (chip.nextevent() < pal.cyclesperframe()) stolen += chip.service();
  return stolen;
}

// A PAL 6569 counts 312 lines of 63 cycles, an NTSC 6567R8 263 of 65.
TEST(vic, TheRasterCountsTheLinesOfEachSystem) {
  struct count {
    const tvsystem& system;
    std::uint64_t cycle;
    unsigned line;
  };
  const count counts[] = {{pal, 0, 0},
                          {pal, 62, 0},
                          {pal, 63, 1},
                          {pal, 255 * 63, 255},
                          {pal, 256 * 63, 256},
                          {pal, 311 * 63 + 62, 311},
                          {pal, 312 * 63, 0},
                          {ntsc, 64, 0},
                          {ntsc, 65, 1},
                          {ntsc, 256 * 65, 256},
                          {ntsc, 262 * 65 + 64, 262},
                          {ntsc, 263 * 65, 0}};
  for (const count& c : counts) {
    const vic chip(c.system);
    EXPECT_EQ(chip.read(0x12, c.cycle) | (chip.read(0x11, c.cycle) & 0x80) << 1,
              c.line)
        << c.system.name << " " << c.cycle;
  }
}

TEST(vic, TheRasterInterruptComesOnceAFrameAtItsLine) {
  struct compare {
    const tvsystem& system;
    unsigned line;
    bool comes;  // a line past the frame's last never comes
  };
  const compare compares[] = {{pal, 100, true},
                              {pal, 300, true},
                              {ntsc, 100, true},
                              {ntsc, 300, false}};
  for (const compare& c : compares) {
    vic chip(c.system);
    chip.write(0x11, static_cast<std::uint8_t>(0x1B | (c.line >> 1 & 0x80)), 0);
    chip.write(0x12, static_cast<std::uint8_t>(c.line), 0);
    chip.write(0x1A, 0x01, 0);
    const std::uint64_t at = c.line * c.system.cyclesperline;
    const std::uint64_t frame = c.system.cyclesperframe();
    const std::vector<std::uint64_t> expected =
        c.comes ? std::vector<std::uint64_t>{at, at + frame, at + 2 * frame}
                : std::vector<std::uint64_t>{};
    EXPECT_EQ(rasterinterrupts(chip, c.system, 3), expected)
        << c.system.name << " " << c.line;
  }
}

TEST(vic, TheLatchHoldsWhatHappenedAndOnlyEnabledSourcesInterrupt) {
  vic chip;
  chip.write(0x12, 10, 0);
  while (chip.nextevent() <= 10 * pal.cyclesperline) chip.service();
  EXPECT_EQ(chip.read(0x19, 0) & 0x81, 0x01) << "latched, not enabled";
  EXPECT_FALSE(chip.interrupt());
  chip.write(0x1A, 0x01, 0);
  EXPECT_TRUE(chip.interrupt());
  EXPECT_EQ(chip.read(0x19, 0) & 0x81, 0x81);
  chip.write(0x19, 0x01, 0);  // writing a 1 acknowledges
  EXPECT_FALSE(chip.interrupt());
  EXPECT_EQ(chip.read(0x19, 0) & 0x01, 0);
}

TEST(vic, BadLinesAndSpritesTakeTheirCyclesFromTheProcessor) {
  struct setting {
    const char* statement;
    std::vector<std::pair<unsigned, std::uint8_t>> writes;
    std::uint64_t stolen;
  };
  const setting settings[] = {
      {"25 bad lines of 40 cycles with the display on", {}, 25 * 40},
      {"none with the display off", {{0x11, 0x0B}}, 0},
      {"a sprite takes 2 cycles and 3 more on each of its 21 lines",
       {{0x11, 0x0B}, {0x15, 0x01}, {0x01, 100}},
       21 * (3 + 2)},
      {"an expanded sprite covers 42 lines",
       {{0x11, 0x0B}, {0x15, 0x01}, {0x17, 0x01}, {0x01, 100}},
       42 * (3 + 2)},
      {"two sprites on the same lines share the 3",
       {{0x11, 0x0B}, {0x15, 0x03}, {0x01, 100}, {0x03, 100}},
       21 * (3 + 2 + 2)}};
  for (const setting& s : settings) {
    vic chip;
    for (const auto& [reg, value] : s.writes) chip.write(reg, value, 0);
    EXPECT_EQ(stolenperframe(chip), s.stolen) << s.statement;
  }
}

// CIA timeouts, the flag cleared by reading the interrupt control
// register as it comes.
std::vector<std::uint64_t> flagged(cia& chip, std::uint8_t flag,
                                   std::uint64_t until) {
  return timeouts(chip, until,
                  [&](std::uint64_t at) { return chip.read(0x0D, at) & flag; });
}

TEST(cia, TimersUnderflowOnTheirPeriodInEachMode) {
  struct mode {
    const char* statement;
    std::vector<std::pair<unsigned, std::uint8_t>> writes;  // at cycle 0
    std::uint8_t flag;
    std::vector<std::uint64_t> underflows;
  };
  const mode modes[] = {
      {"continuous: latch N underflows every N+1 cycles",
       {{0x04, 99}, {0x05, 0}, {0x0E, 0x11}},
       0x01,
       {100, 200, 300}},
      {"one-shot: once, then it stops",
       {{0x04, 99}, {0x05, 0}, {0x0E, 0x19}},
       0x01,
       {100}},
      {"timer B counts the clock too",
       {{0x06, 49}, {0x07, 0}, {0x0F, 0x11}},
       0x02,
       {50, 100, 150, 200, 250, 300}},
      {"timer B counts timer A's underflows",
       {{0x04, 9}, {0x05, 0}, {0x0E, 0x11}, {0x06, 2}, {0x07, 0}, {0x0F, 0x51}},
       0x02,
       {30, 60, 90, 120, 150, 180, 210, 240, 270, 300}},
      {"a stopped timer does not count",
       {{0x04, 9}, {0x05, 0}, {0x0E, 0x10}},
       0x01,
       {}}};
  for (const mode& m : modes) {
    cia chip;
    for (const auto& [reg, value] : m.writes) chip.write(reg, value, 0);
    EXPECT_EQ(flagged(chip, m.flag, 301), m.underflows) << m.statement;
  }
}

TEST(cia, TimersReadAsTheyCountAndForceLoadRestartsThem) {
  cia chip;
  chip.write(0x04, 99, 0);
  chip.write(0x05, 0, 0);  // a stopped timer loads its latch
  EXPECT_EQ(chip.read(0x04, 5), 99);
  chip.write(0x0E, 0x01, 0);
  EXPECT_EQ(chip.read(0x04, 10), 89);
  chip.write(0x0E, 0x11, 50);  // force load: from the latch again
  EXPECT_EQ(flagged(chip, 0x01, 200), std::vector<std::uint64_t>{150});
  chip.write(0x0E, 0x00, 160);  // stopped, it keeps its count
  EXPECT_EQ(chip.read(0x04, 500), 89);
  EXPECT_EQ(chip.read(0x0E, 500) & 0x01, 0);
}

TEST(cia, TheInterruptControlRegisterMasksAndAcknowledges) {
  cia chip;
  chip.write(0x04, 9, 0);
  chip.write(0x05, 0, 0);
  chip.write(0x0E, 0x11, 0);
  chip.service();  // the underflow at 10, masked
  EXPECT_FALSE(chip.interrupt());
  chip.write(0x0D, 0x81, 11);  // bit 7 set: set the mask bits given
  EXPECT_TRUE(chip.interrupt());
  chip.write(0x0D, 0x01, 12);  // bit 7 clear: clear them
  EXPECT_FALSE(chip.interrupt());
  chip.write(0x0D, 0x81, 13);
  EXPECT_EQ(chip.read(0x0D, 14), 0x81);  // reading tells, and clears
  EXPECT_FALSE(chip.interrupt());
  EXPECT_EQ(chip.read(0x0D, 15), 0x00);
}

constexpr std::uint64_t tick = pal.cyclespertick();  // of the TOD pin's 50 Hz

// The TOD pin gets the mains: 50 Hz counted in fives where PAL machines
// are sold, 60 Hz in sixes where NTSC ones are.
TEST(cia, TheTimeOfDayClockCountsInBcd) {
  struct moment {
    const char* statement;
    std::uint8_t hours, minutes, seconds, tenths;  // set
    std::uint64_t after;
    std::uint8_t nowhours, nowminutes, nowseconds, nowtenths;
    const tvsystem* system = &pal;
    std::uint8_t control = 0x80;  // 50 Hz
  };
  const std::uint64_t ntsctick = ntsc.cyclespertick();
  const moment moments[] = {
      {"a tenth every 5 ticks", 0x01, 0x00, 0x00, 0x0, 5 * tick, 0x01, 0x00,
       0x00, 0x1},
      {"a second every 50", 0x01, 0x00, 0x00, 0x0, 50 * tick, 0x01, 0x00, 0x01,
       0x0},
      {"BCD seconds", 0x01, 0x00, 0x09, 0x9, 5 * tick, 0x01, 0x00, 0x10, 0x0},
      {"an hour", 0x01, 0x59, 0x59, 0x9, 5 * tick, 0x02, 0x00, 0x00, 0x0},
      {"11 AM to 12 PM", 0x11, 0x59, 0x59, 0x9, 5 * tick, 0x92, 0x00, 0x00,
       0x0},
      {"12 PM to 1 PM", 0x92, 0x59, 0x59, 0x9, 5 * tick, 0x81, 0x00, 0x00,
       0x0},
      {"a tenth every 6 of NTSC's 60 Hz ticks", 0x01, 0x00, 0x00, 0x0,
       6 * ntsctick, 0x01, 0x00, 0x00, 0x1, &ntsc, 0x00},
      {"a second every 60 of them", 0x01, 0x00, 0x00, 0x0, 60 * ntsctick, 0x01,
       0x00, 0x01, 0x0, &ntsc, 0x00}};
  for (const moment& m : moments) {
    cia chip(*m.system);
    chip.write(0x0E, m.control, 0);
    chip.write(0x0B, m.hours, 0);
    chip.write(0x0A, m.minutes, 0);
    chip.write(0x09, m.seconds, 0);
    chip.write(0x08, m.tenths, 0);
    const std::uint8_t hours = chip.read(0x0B, m.after);
    EXPECT_EQ(hours, m.nowhours) << m.statement;
    EXPECT_EQ(chip.read(0x0A, m.after), m.nowminutes) << m.statement;
    EXPECT_EQ(chip.read(0x09, m.after), m.nowseconds) << m.statement;
    EXPECT_EQ(chip.read(0x08, m.after), m.nowtenths) << m.statement;
  }
}

TEST(cia, ReadingTheHoursLatchesAndWritingThemStops) {
  cia chip;
  chip.write(0x0E, 0x80, 0);
  chip.read(0x0B, 0);  // latched at 0:00:00.0
  EXPECT_EQ(chip.read(0x09, 60 * tick), 0x00);
  EXPECT_EQ(chip.read(0x08, 60 * tick), 0x00);  // releases the latch
  EXPECT_EQ(chip.read(0x09, 60 * tick), 0x01);

  chip.write(0x0B, 0x05, 60 * tick);  // stopped until the tenths
  EXPECT_EQ(chip.read(0x09, 200 * tick), 0x01);
  chip.write(0x08, 0x00, 200 * tick);
  EXPECT_EQ(chip.read(0x0B, 250 * tick), 0x05);
  EXPECT_EQ(chip.read(0x09, 250 * tick), 0x02);
  chip.read(0x08, 250 * tick);
  chip.write(0x0E, 0x00, 250 * tick);  // 60 Hz set: a tenth every 6 ticks
  EXPECT_EQ(chip.read(0x08, 256 * tick), 0x1);
}

// A C64 with its KERNAL banked out, so that the interrupt vectors at
// $FFFA and $FFFE are RAM: the program runs at $1000 until it jumps to
// itself.
struct bare {
  explicit bare(const std::vector<std::uint8_t>& program,
                const std::vector<std::uint8_t>& irqhandler,
                const std::vector<std::uint8_t>& nmihandler = {0x40}) {
    c64.bus.write(0x01, 0x35);
    std::copy(program.begin(), program.end(), c64.bus.ram.begin() + 0x1000);
    std::copy(irqhandler.begin(), irqhandler.end(),
              c64.bus.ram.begin() + 0x2000);
    std::copy(nmihandler.begin(), nmihandler.end(),
              c64.bus.ram.begin() + 0x3000);
    c64.bus.ram[0xFFFE] = 0x00;
    c64.bus.ram[0xFFFF] = 0x20;
    c64.bus.ram[0xFFFA] = 0x00;
    c64.bus.ram[0xFFFB] = 0x30;
    c64.bus.write(0xD011, 0x0B);  // the display off: no bad lines
    c64.processor.pc = 0x1000;
    c64.processor.p |= interruptflag;
    runlimits limits;
    limits.cycles = 100000;
    stop = run(c64, limits);
  }
  // The address an interrupt pushed last, with the stack pointer as the
  // handler found it.
  std::uint16_t returnaddress() {
    return static_cast<std::uint16_t>(
        c64.bus.ram[0x100 + ((c64.processor.sp + 2) & 0xFF)] |
        c64.bus.ram[0x100 + ((c64.processor.sp + 3) & 0xFF)] << 8);
  }
  machine c64{false};
  stopreason stop;
};

// LDA #$81 / STA $DC0D (timer A interrupts) / LDA #0 / STA $DC04 / STA
// $DC05 / LDA #$19 / STA $DC0E: a one-shot of latch 0 starts, and CIA 1
// pulls IRQ a cycle later.
const std::vector<std::uint8_t> pullirq = {0xA9, 0x81, 0x8D, 0x0D, 0xDC, 0xA9,
                                           0x00, 0x8D, 0x04, 0xDC, 0x8D, 0x05,
                                           0xDC, 0xA9, 0x19, 0x8D, 0x0E, 0xDC};
const std::vector<std::uint8_t> stophere = {0x4C, 0x00, 0x20};  // JMP *

std::vector<std::uint8_t> then(std::vector<std::uint8_t> code,
                               const std::vector<std::uint8_t>& more) {
  code.insert(code.end(), more.begin(), more.end());
  return code;
}

TEST(interrupts, TheFlagChangesOfCliSeiAndPlpComeOneInstructionLate) {
  struct timing {
    const char* statement;
    std::vector<std::uint8_t> after;  // follows pullirq at $1012
    std::uint16_t interrupted;        // where the IRQ was taken
  };
  const timing timings[] = {
      // NOP NOP CLI / INC $02 / INC $02 / JMP *
      {"CLI: one more instruction runs",
       {0xEA, 0xEA, 0x58, 0xE6, 0x02, 0xE6, 0x02, 0x4C, 0x19, 0x10},
       0x1017},
      // LDA #0 / PHA / PLP (I clear) / INC $02 / INC $02 / JMP *
      {"PLP: one more instruction runs",
       {0xA9, 0x00, 0x48, 0x28, 0xE6, 0x02, 0xE6, 0x02, 0x4C, 0x1A, 0x10},
       0x1018}};
  for (const timing& t : timings) {
    bare machine(then(pullirq, t.after), stophere);
    EXPECT_EQ(machine.c64.processor.pc, 0x2000) << t.statement;
    EXPECT_EQ(machine.returnaddress(), t.interrupted) << t.statement;
  }
}

TEST(interrupts, AnIrqPendingAtSeiIsStillTakenAfterIt) {
  // CLI first, then the one-shot: it pulls IRQ during the NOP, too late
  // for the NOP; SEI's own poll still sees I clear.
  std::vector<std::uint8_t> program = {0x58};
  program = then(program, pullirq);
  program = then(program, {0xEA, 0x78, 0xE6, 0x02, 0x4C, 0x17, 0x10});
  bare machine(program, stophere);
  EXPECT_EQ(machine.c64.processor.pc, 0x2000);
  EXPECT_EQ(machine.returnaddress(), 0x1015);  // after SEI, before INC
  EXPECT_EQ(machine.c64.bus.ram[0x02], 0);
}

TEST(interrupts, RtiClearsTheFlagAtOnceAndIrqIsALevel) {
  // The IRQ is never acknowledged: the handler (counting in $03/$04, then
  // RTI) runs again and again, and the main program's INC $02 runs only
  // the once that CLI allows.
  bare machine(then(pullirq, {0x58, 0xE6, 0x02, 0x4C, 0x15, 0x10}),
               {0xE6, 0x03, 0xD0, 0x02, 0xE6, 0x04, 0x40});
  EXPECT_EQ(machine.stop, stopreason::cyclelimit);
  EXPECT_EQ(machine.c64.bus.ram[0x02], 1);
  EXPECT_GT(machine.c64.bus.ram[0x04], 10);
}

TEST(interrupts, NmiComesOnAnEdgeOnly) {
  // CIA 2's timer A, every 1,000 cycles: LDA #$81 / STA $DD0D / LDA #$E7
  // / STA $DD04 / LDA #$03 / STA $DD05 / LDA #$11 / STA $DD0E, then about
  // 25,000 cycles of DEX / BNE and DEY / BNE, then the stop. The handler
  // counts in $03 and acknowledges or not.
  const std::vector<std::uint8_t> program = {
      0xA9, 0x81, 0x8D, 0x0D, 0xDD, 0xA9, 0xE7, 0x8D, 0x04, 0xDD, 0xA9,
      0x03, 0x8D, 0x05, 0xDD, 0xA9, 0x11, 0x8D, 0x0E, 0xDD, 0xA0, 0x14,
      0xCA, 0xD0, 0xFD, 0x88, 0xD0, 0xFA, 0x4C, 0x00, 0x20};
  // INC $03 / RTI, and INC $03 / LDA $DD0D / RTI
  bare held(program, stophere, {0xE6, 0x03, 0x40});
  EXPECT_EQ(held.c64.bus.ram[0x03], 1) << "the line stays down: no new edge";
  bare acknowledged(program, stophere, {0xE6, 0x03, 0xAD, 0x0D, 0xDD, 0x40});
  EXPECT_GE(acknowledged.c64.bus.ram[0x03], 24);
}

TEST(interrupts, TheSequenceTakesSevenCyclesAndPushesBClear) {
  memory bus(true);
  cpu6502 processor(bus);
  bus.ram[0xFFFE] = 0x34;
  bus.ram[0xFFFF] = 0x12;
  processor.pc = 0xABCD;
  processor.p = unusedflag | carryflag;
  processor.interrupt(0xFFFE);
  EXPECT_EQ(bus.cycles, 7u);
  EXPECT_EQ(processor.pc, 0x1234);
  EXPECT_TRUE(processor.p & interruptflag);
  EXPECT_EQ(bus.ram[0x1FF], 0xAB);
  EXPECT_EQ(bus.ram[0x1FE], 0xCD);
  EXPECT_EQ(bus.ram[0x1FD], unusedflag | carryflag);
}

TEST(interrupts, TheKernalPathsRunTheHandlerAndRestoreTheRegisters) {
  // With the KERNAL in: CIA 1's timer A every 2,000 cycles through $FF48
  // and ($0314) to a handler at $2000 (INC $05 / JMP $EA31). The program
  // sets X and Y, then waits for 5 interrupts.
  machine c64(false);
  const std::vector<std::uint8_t> program = {
      0xA9, 0xD0, 0x8D, 0x04, 0xDC, 0xA9, 0x07, 0x8D, 0x05, 0xDC, 0xA9, 0x11,
      0x8D, 0x0E, 0xDC, 0xA9, 0x81, 0x8D, 0x0D, 0xDC, 0xA2, 0x11, 0xA0, 0x22,
      0x58, 0xA5, 0x05, 0xC9, 0x05, 0xD0, 0xFA, 0x4C, 0x1F, 0x10};
  std::copy(program.begin(), program.end(), c64.bus.ram.begin() + 0x1000);
  const std::uint8_t handler[] = {0xE6, 0x05, 0x4C, 0x31, 0xEA};
  std::copy(std::begin(handler), std::end(handler),
            c64.bus.ram.begin() + 0x2000);
  c64.bus.ram[0x0314] = 0x00;
  c64.bus.ram[0x0315] = 0x20;
  c64.processor.pc = 0x1000;
  runlimits limits;
  limits.cycles = 100000;
  EXPECT_EQ(run(c64, limits), stopreason::jumpedtoitself);
  EXPECT_EQ(c64.processor.pc, 0x101F);
  EXPECT_EQ(c64.bus.ram[0xA2], 5) << "the jiffy clock";
  EXPECT_EQ(c64.processor.x, 0x11);
  EXPECT_EQ(c64.processor.y, 0x22);
  EXPECT_EQ(c64.processor.sp, 0xFF);
}

}  // namespace

namespace {

TEST(interrupts, AnotherKernalsEntriesLieWhereItsVectorsSay) {
  // Its hardware vectors name them; Commodore's entries are no entry
  // points there, and JMP to one is a run error naming it.
  for (const std::uint16_t commodores : {0xFF48, 0xFE43}) {
    machine c64(false);
    c64.bus.irqentry = otherirqentry;
    c64.bus.nmientry = othernmientry;
    EXPECT_EQ(c64.bus.read(0xFFFE) | c64.bus.read(0xFFFF) << 8, otherirqentry);
    EXPECT_EQ(c64.bus.read(0xFFFA) | c64.bus.read(0xFFFB) << 8, othernmientry);
    const std::uint8_t jump[] = {0x4C, static_cast<std::uint8_t>(commodores),
                                 static_cast<std::uint8_t>(commodores >> 8)};
    std::copy(std::begin(jump), std::end(jump), c64.bus.ram.begin() + 0x1000);
    c64.processor.pc = 0x1000;
    try {
      run(c64, runlimits{});
      ADD_FAILURE() << "no run error";
    } catch (const runerror& error) {
      EXPECT_STREQ(error.what(),
                   ("ran into ROM at $" + hex4(commodores)).c_str());
    }
  }
}

}  // namespace
