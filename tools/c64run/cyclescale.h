#pragma once

// What a faster routine would give: the instructions at a range of
// addresses count a share of the cycles they take, their work and their
// bytes unchanged. Code whose timing the chips see (I/O waits, the bus)
// must lie outside the range, or the run no longer models a machine.

#include <cstdint>

struct cyclescale {
  std::uint16_t from = 0;
  std::uint16_t to = 0;  // inclusive
  unsigned percent = 100;
  std::uint64_t owed = 0;  // hundredths of a cycle carried over

  // The cycles an instruction at pc that took `cycles` counts for.
  std::uint64_t count(std::uint16_t pc, std::uint64_t cycles) {
    if (percent == 100 || pc < from || pc > to) return cycles;
    owed += cycles * percent;
    const std::uint64_t counted = owed / 100;
    owed %= 100;
    return counted;
  }
};
