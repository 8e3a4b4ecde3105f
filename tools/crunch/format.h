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
// written). Less one, they are sent as a gamma code of their bits above
// the lowest seven, plus one, which must stay below 255 (the end mark),
// and a byte with the lowest seven bits above the first bit of the
// length: the decruncher shifts that bit out of the byte as it takes the
// offset, so it costs no read of its own.
constexpr std::uint32_t lowoffsetbits = 7;
constexpr std::uint32_t endmark = 255;
constexpr std::uint32_t longestoffset = (endmark - 1) << lowoffsetbits;
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

// A gamma code's first bit says whether its value has more digits than the
// leading 1; a new match sends its length's in the offset's byte.
inline bool gammafirstbit(std::uint32_t value) { return value > 1; }

// The byte's eighth bit belongs to the length, and is counted there.
inline std::uint32_t offsetbits(std::uint32_t offset) {
  return gammabits(((offset - 1) >> lowoffsetbits) + 1) + lowoffsetbits;
}
