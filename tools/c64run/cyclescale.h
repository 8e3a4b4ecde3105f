#pragma once

// What faster routines would give: the instructions at ranges of addresses
// count a share of the cycles they take, their work and their bytes
// unchanged. Code whose timing the chips see (I/O waits, the bus) scales
// only together with the code that answers it, or the run no longer
// models a machine.

#include <cstdint>
#include <vector>

struct scaledrange {
  std::uint16_t from = 0;
  std::uint16_t to = 0;  // inclusive
  unsigned percent = 100;
};

class cyclescale {
 public:
  void add(const scaledrange& range) { ranges.push_back(range); }
  bool any() const { return !ranges.empty(); }

  // The cycles an instruction at pc that took `cycles` counts for: the
  // share of the first range that holds pc.
  std::uint64_t count(std::uint16_t pc, std::uint64_t cycles) {
    for (const scaledrange& range : ranges) {
      if (pc >= range.from && pc <= range.to) {
        owed += cycles * range.percent;
        const std::uint64_t counted = owed / 100;
        owed %= 100;
        return counted;
      }
    }
    return cycles;
  }

 private:
  std::vector<scaledrange> ranges;
  std::uint64_t owed = 0;  // hundredths of a cycle carried over
};
