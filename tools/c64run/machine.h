#pragma once

// The C64: processor, memory and KERNAL models, run until the program is
// done with it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cpu.h"
#include "cyclescale.h"
#include "kernal.h"
#include "memory.h"

// About half an hour of PAL time: enough for a full disk at 1541 speed.
constexpr std::uint64_t defaultcyclelimit = 1'800'000'000;

enum class stopreason {
  returnedtobasic,
  jumpedtoitself,
  stopaddress,
  cyclelimit
};

struct runlimits {
  std::uint64_t cycles = defaultcyclelimit;
  std::optional<std::uint16_t> stopat;
};

class machine {
 public:
  explicit machine(bool allram, const tvsystem& system = pal)
      : bus(allram, system), processor(bus) {}
  machine(const machine&) = delete;
  machine& operator=(const machine&) = delete;

  memory bus;
  cpu6502 processor;
  kernal rom;
  // The BASIC line the program was started from, as it was loaded: a
  // return to BASIC is a clean end only while it still stands.
  std::vector<std::uint8_t> startline;
  cyclescale scale;  // none unless asked for
};

// Where the KERNAL's interrupt entries lie in a KERNAL that is not
// Commodore's.
constexpr std::uint16_t otherirqentry = 0xEA53;
constexpr std::uint16_t othernmientry = 0xFE4C;

// Makes the machine and its drive differ from Commodore's ROMs as asked.
void takeon(machine& c64, drive& disk, const quirks& differences);

// LOAD"*",8,1 and RUN: loads the disk's first file at its own address and
// starts it (at the SYS address of a BASIC line at $0801), as if called
// from BASIC, whose interpreter an RTS from the top level returns to, with
// the KERNAL's 60 Hz interrupt running. The cycle count starts at RUN.
void autostart(machine& c64, drive& disk);

// Runs until a stop reason; a run error (an undocumented opcode, code run
// in ROM that is no modelled entry point, a return to a BASIC line that is
// no longer there, a damaged disk) is raised.
stopreason run(machine& c64, const runlimits& limits);

std::string describe(stopreason reason);
