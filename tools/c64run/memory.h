#pragma once

// The C64's address space as the processor sees it: 64 KB of RAM, and the
// processor port at $00/$01 deciding whether BASIC ($A000-$BFFF), I/O or the
// character ROM ($D000-$DFFF) and the KERNAL ($E000-$FFFF) cover it. Writes
// reach RAM everywhere except visible I/O. No ROM images exist: the ROMs
// read as zeros but for their vectors, and code in them is never run (the
// machine models the KERNAL entry points instead).
//
// The processor's cycle count is the machine's clock: the chips behind the
// I/O area are read and written at the count the access comes at.
//
// An all-RAM memory (for raw conformance programs) has no port, no ROM and
// no I/O.

#include <array>
#include <cstdint>

#include "iochips.h"

class memory {
 public:
  explicit memory(bool allram, const tvsystem& system = pal);

  std::uint8_t read(std::uint16_t address) {
    if (address < 0xA000 || allram) {
      return ram[address];
    }
    return readhigh(address);
  }

  void write(std::uint16_t address, std::uint8_t value) {
    if (allram || (address >= 2 && (address < iofrom || address >= 0xE000))) {
      ram[address] = value;
      return;
    }
    writespecial(address, value);
  }

  // Whether code at the address would run from ROM.
  bool inrom(std::uint16_t address) const {
    return (address >= 0xE000 && kernalvisible) ||
           (address >= 0xA000 && address < 0xC000 && basicvisible);
  }
  bool kernalshown() const { return kernalvisible; }

  // Where the KERNAL's IRQ and NMI entries are, as its hardware vectors at
  // $FFFE and $FFFA name them: Commodore's $FF48 and $FE43, or elsewhere in
  // a KERNAL that is not Commodore's.
  std::uint16_t irqentry = 0xFF48;
  std::uint16_t nmientry = 0xFE43;

  // RAM beneath whatever covers it: the KERNAL models and the tools read and
  // write the machine's own bytes this way.
  std::array<std::uint8_t, 0x10000> ram{};

  std::uint64_t cycles = 0;
  const tvsystem system;  // the clock the cycles count
  iochips chips;

 private:
  std::uint8_t readhigh(std::uint16_t address);
  std::uint8_t romvector(std::uint16_t address) const;
  void writespecial(std::uint16_t address, std::uint8_t value);
  void setport(std::uint8_t direction, std::uint8_t data);

  bool allram;
  bool basicvisible = false;
  bool kernalvisible = false;
  bool iovisible = false;
  bool charvisible = false;
  // The first address whose writes go to I/O: past the top when I/O is
  // hidden, so the write fast path makes one comparison.
  std::uint32_t iofrom = 0x10000;
  std::uint8_t portdirection = 0;
  std::uint8_t portdata = 0;
};
