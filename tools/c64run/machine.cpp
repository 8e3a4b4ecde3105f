#include "machine.h"

#include <algorithm>

#include "runerror.h"
#include "serialbus.h"

// Where BASIC goes on after a SYS returns, and its warm start: reaching
// either means the program handed the machine back.
constexpr std::uint16_t basicloop = 0xA7AE;
constexpr std::uint16_t basicready = 0xA474;
constexpr std::uint16_t basicwarmstart = 0xE37B;
// Where a modelled call spends its time on the serial bus (ACPTR's address
// in the ROM): interrupts taken meanwhile return here.
constexpr std::uint16_t serialwait = 0xEE13;

// The first BASIC line at $0801 with the end mark after it: what BASIC
// goes on with after a SYS returns.
static std::vector<std::uint8_t> firstline(const memory& bus) {
  std::uint16_t end = 0x0805;
  while (end < 0x0900 && bus.ram[end] != 0) ++end;
  return std::vector<std::uint8_t>(bus.ram.begin() + 0x0801,
                                   bus.ram.begin() + end + 3);
}

// The SYS address of the first BASIC line at $0801, if it is a SYS.
static std::optional<std::uint16_t> sysaddress(const memory& bus) {
  std::uint16_t at = 0x0805;  // past the line link and the line number
  while (bus.ram[at] == ' ') ++at;
  if (bus.ram[0x0801] == 0 && bus.ram[0x0802] == 0) return std::nullopt;
  if (bus.ram[at++] != 0x9E) return std::nullopt;
  while (bus.ram[at] == ' ') ++at;
  unsigned address = 0;
  bool digits = false;
  for (; bus.ram[at] >= '0' && bus.ram[at] <= '9' && address <= 0xFFFF; ++at) {
    address = address * 10 + (bus.ram[at] - '0');
    digits = true;
  }
  if (!digits || address > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(address);
}

void takeon(machine& c64, drive& disk, const quirks& differences) {
  c64.rom.differences = differences;
  if (differences.interruptentries) {
    c64.bus.irqentry = otherirqentry;
    c64.bus.nmientry = othernmientry;
  }
  if (disk.hardware) disk.hardware->stalerecord = differences.staletrack;
}

void autostart(machine& c64, drive& disk) {
  memory& bus = c64.bus;
  c64.rom.disk = &disk;
  resetkernal(c64.rom, bus);
  const std::optional<diskbytes> file = loadfile(disk, "*");
  if (!file || file->size() < 2) {
    throw runerror("the disk has no program to start", 2);
  }
  const auto loadaddress =
      static_cast<std::uint16_t>((*file)[0] | (*file)[1] << 8);
  const std::uint16_t end = storeprogram(bus, *file, loadaddress);
  // What LOAD"*",8,1 leaves behind.
  bus.ram[0x90] = 0x40;
  bus.ram[0xAE] = static_cast<std::uint8_t>(end);
  bus.ram[0xAF] = static_cast<std::uint8_t>(end >> 8);
  bus.ram[0xB7] = 1;
  bus.ram[0xB8] = 0;
  bus.ram[0xB9] = 1;
  bus.ram[0xBA] = 8;

  std::optional<std::uint16_t> start = loadaddress;
  if (loadaddress == 0x0801) {
    start = sysaddress(bus);
    c64.startline = firstline(bus);
  }
  if (!start) {
    throw runerror("the disk's first program is BASIC without a SYS", 2);
  }
  // IOINIT's ports and timer, and BASIC running with interrupts on.
  setupports(bus);
  startkernaltimer(bus);
  cpu6502& processor = c64.processor;
  processor.p &= static_cast<std::uint8_t>(~interruptflag);
  processor.sp = 0xFA;
  processor.push((basicloop - 1) >> 8);
  processor.push((basicloop - 1) & 0xFF);
  processor.pc = *start;
}

static bool startlinestands(const machine& c64) {
  return std::equal(c64.startline.begin(), c64.startline.end(),
                    c64.bus.ram.begin() + 0x0801);
}

// The serial bus holds interrupts off for a byte at a time, so the time is
// spent a byte's worth at once; the VIC-II's fetches are part of the
// drive's figures already.
static void spendserialtime(machine& c64) {
  memory& bus = c64.bus;
  std::vector<bool>& atn = c64.rom.atnsteps;
  if (!atn.empty()) {
    const std::uint8_t lines = bus.read(0xDD00);
    bus.write(0xDD00, static_cast<std::uint8_t>(atn.front() ? lines | 0x08
                                                            : lines & ~0x08));
    atn.erase(atn.begin());
  }
  const std::uint64_t slice = std::min(c64.rom.busy, cyclesperbyte);
  bus.cycles += slice;
  c64.rom.busy -= slice;
  bus.chips.service(bus.cycles);
  if (c64.rom.busy == 0) {
    c64.processor.returnfromsubroutine();
  }
}

// After a modelled call that takes time on the bus, the call is not over
// until that time is spent: its return address goes back on the stack.
static void waitforbus(cpu6502& processor) {
  const auto last = static_cast<std::uint16_t>(processor.pc - 1);
  processor.push(static_cast<std::uint8_t>(last >> 8));
  processor.push(static_cast<std::uint8_t>(last));
  processor.pc = serialwait;
}

static void runrom(machine& c64) {
  memory& bus = c64.bus;
  cpu6502& processor = c64.processor;
  const std::uint16_t pc = processor.pc;
  if (!bus.kernalshown()) {
    throw runerror("ran into ROM at $" + hex4(pc), 1);
  }
  if (pc == serialwait && c64.rom.busy != 0) {
    spendserialtime(c64);
    return;
  }
  if (runinterruptpath(processor, bus, pc)) return;
  if (!callkernal(c64.rom, processor, bus, pc)) {
    throw runerror("ran into ROM at $" + hex4(pc), 1);
  }
  if (c64.rom.busy != 0) waitforbus(processor);
}

// Drive code runs beside the C64, each machine at its own clock, the bus
// between them brought up to date at every instruction, until its RTS or
// a reset hands the drive back to the DOS.
static void rundrive(machine& c64, drive& unit) {
  drivehardware& hardware = *unit.hardware;
  cia& port = c64.bus.chips.cia2;
  connectbus(port, hardware.bus.via1);
  const std::uint64_t until = drivetime(c64.bus.cycles, c64.bus.system);
  while (hardware.bus.cycles < until) {
    if (hardware.processor.pc == dosreturn ||
        hardware.processor.pc == dosreset) {
      unit.coderunning = false;
      return;
    }
    hardware.step();
    connectbus(port, hardware.bus.via1);
  }
}

// An interrupt is taken when its line was down before the last
// instruction's final cycle.
static void takeinterrupts(machine& c64) {
  iochips& chips = c64.bus.chips;
  const std::uint64_t now = c64.bus.cycles;
  if (chips.nmipending && chips.nmisince + 2 <= now) {
    chips.takenmi();
    c64.processor.interrupt(0xFFFA);
  } else if (chips.irq && chips.irqsince + 2 <= now &&
             !c64.processor.irqmasked()) {
    c64.processor.interrupt(0xFFFE);
  }
}

stopreason run(machine& c64, const runlimits& limits) {
  memory& bus = c64.bus;
  cpu6502& processor = c64.processor;
  const std::uint32_t stopat = limits.stopat ? *limits.stopat : 0x10000;
  for (;;) {
    if (processor.pc == stopat) {
      return stopreason::stopaddress;
    }
    if (processor.pc >= 0xA000 && bus.inrom(processor.pc)) {
      const std::uint16_t pc = processor.pc;
      if (pc == basicloop && !startlinestands(c64)) {
        throw runerror(
            "returned to BASIC, but the BASIC line it was started from has "
            "been overwritten: a C64 would go on with what stands at $0801 "
            "now (?SYNTAX ERROR, or worse)",
            1);
      }
      if (pc == basicloop || pc == basicready || pc == basicwarmstart) {
        return stopreason::returnedtobasic;
      }
      runrom(c64);
    } else {
      const std::uint16_t at = processor.pc;
      const std::uint64_t before = bus.cycles;
      processor.step();
      bus.cycles = before + c64.scale.count(at, bus.cycles - before);
      if (processor.jumpedtoitself) {
        return stopreason::jumpedtoitself;
      }
    }
    while (bus.cycles >= bus.chips.nextevent) {
      bus.cycles += bus.chips.service(bus.cycles);
    }
    if (c64.rom.disk != nullptr && c64.rom.disk->coderunning) {
      rundrive(c64, *c64.rom.disk);
    }
    if (bus.chips.irq || bus.chips.nmipending) {
      takeinterrupts(c64);
    }
    if (bus.cycles >= limits.cycles) {
      return stopreason::cyclelimit;
    }
  }
}

std::string describe(stopreason reason) {
  switch (reason) {
    case stopreason::returnedtobasic:
      return "returned to BASIC";
    case stopreason::jumpedtoitself:
      return "jumped to itself";
    case stopreason::stopaddress:
      return "reached the stop address";
    case stopreason::cyclelimit:
      return "reached the cycle limit";
  }
  return "";
}
