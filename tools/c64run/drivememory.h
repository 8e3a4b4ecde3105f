#pragma once

// The 1541's address space as its 6502 sees it. The address decoding
// looks at A15 and A10-A12 only: 2 KB of RAM at $0000-$07FF, again at
// $0800-$0FFF, VIA 1 at $1800 and VIA 2 at $1C00 (16 registers, repeated
// through each 1 KB), nothing at $1000-$17FF, and that 8 KB repeated up to
// $7FFF. The ROM would be at $8000-$FFFF; none ships, so it reads as 0 but
// for the bytes loaders read (romvalue), and code that runs there is a run
// error but for the reset, which hands the drive back to its DOS.

#include <array>
#include <cstdint>

#include "via.h"

// The DOS's interrupt handler, which the 1541's IRQ vector names.
constexpr std::uint16_t dosinterrupt = 0xFE67;

// What a 1541's ROM holds at the addresses loaders read: at $C000 its
// first byte, which tells the 1541 family (all answer $97), and its reset
// and IRQ vectors.
inline std::uint8_t romvalue(std::uint16_t address) {
  switch (address) {
    case 0xC000:
      return 0x97;
    case 0xFFFC:
      return 0xA0;  // reset $EAA0
    case 0xFFFD:
      return 0xEA;
    case 0xFFFE:
      return static_cast<std::uint8_t>(dosinterrupt);
    case 0xFFFF:
      return static_cast<std::uint8_t>(dosinterrupt >> 8);
    default:
      return 0;
  }
}

class drivememory {
 public:
  std::uint8_t read(std::uint16_t address) {
    if (address & 0x8000) return romvalue(address);
    if (!(address & 0x1000)) return ram[address & 0x7FF];
    if (!(address & 0x0800)) return 0xFF;  // nothing answers
    return (address & 0x0400 ? via2 : via1).read(address, cycles);
  }
  void write(std::uint16_t address, std::uint8_t value) {
    if (address & 0x8000) return;
    if (!(address & 0x1000)) {
      ram[address & 0x7FF] = value;
    } else if (address & 0x0800) {
      (address & 0x0400 ? via2 : via1).write(address, value, cycles);
    }
  }
  static bool inrom(std::uint16_t address) { return address & 0x8000; }

  std::array<std::uint8_t, 0x800> ram{};
  std::uint64_t cycles = 0;  // of the drive's 1 MHz clock
  via via1, via2;
};
