#pragma once

// What the chip tests share: when a chip's events come.

#include <cstdint>
#include <vector>

// The cycles, before the limit, of the chip's events that flagged(at) sees
// set its flag; it reads (and clears) the flag as each comes.
template <class chip, class check>
std::vector<std::uint64_t> timeouts(chip& c, std::uint64_t until,
                                    check flagged) {
  std::vector<std::uint64_t> times;
  while (c.nextevent() < until) {
    const std::uint64_t at = c.nextevent();
    c.service();
    if (flagged(at)) times.push_back(at);
  }
  return times;
}
