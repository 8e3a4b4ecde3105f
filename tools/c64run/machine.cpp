#include "machine.h"

#include "runerror.h"

// Where BASIC goes on after a SYS returns, and its warm start: reaching
// either means the program handed the machine back.
constexpr std::uint16_t basicloop = 0xA7AE;
constexpr std::uint16_t basicready = 0xA474;
constexpr std::uint16_t basicwarmstart = 0xE37B;

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
  }
  if (!start) {
    throw runerror("the disk's first program is BASIC without a SYS", 2);
  }
  cpu6502& processor = c64.processor;
  processor.sp = 0xFA;
  processor.push((basicloop - 1) >> 8);
  processor.push((basicloop - 1) & 0xFF);
  processor.pc = *start;
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
      if (pc == basicloop || pc == basicready || pc == basicwarmstart) {
        return stopreason::returnedtobasic;
      }
      if (!bus.kernalshown() || !callkernal(c64.rom, processor, bus, pc)) {
        throw runerror("ran into ROM at $" + hex4(pc), 1);
      }
    } else {
      processor.step();
      if (processor.jumpedtoitself) {
        return stopreason::jumpedtoitself;
      }
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
