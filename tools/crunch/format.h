#pragma once

// The crunched format's vocabulary, shared by the cruncher's cost model,
// its stream writer and the reference decruncher. doc/crunch-format.md
// describes the format in full.

#include <cstdint>
#include <stdexcept>
#include <vector>

using bytes = std::vector<std::uint8_t>;

// The cruncher's one error: a program it cannot crunch, or a file it cannot
// read or write.
struct cruncherror : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Offsets count back from the byte being written (1 is the byte just
// written); the offset's high byte plus one is sent as a gamma code that
// must fit in 8 bits, 256 being the end mark.
constexpr std::uint32_t longestoffset = 255 * 256 - 1;
constexpr std::uint32_t endmark = 256;
// Lengths fit in a byte, which keeps the decruncher's copies short. A
// literal run of the longest length may be followed by another run.
constexpr std::uint32_t longestlength = 255;

// Bits an interlaced Elias gamma code of a value of 1 or more takes.
inline std::uint32_t gammabits(std::uint32_t value) {
  std::uint32_t bits = 1;
  while (value > 1) {
    bits += 2;
    value >>= 1;
  }
  return bits;
}

inline std::uint32_t offsetbits(std::uint32_t offset) {
  return gammabits((offset >> 8) + 1) + 8;
}
