#pragma once

// Writes the crunched stream in the order the decruncher reads it: whole
// bytes where they are read, and bits gathered in bytes that are placed
// where the decruncher will fetch them, at the first bit it needs from
// each.

#include <cstdint>

#include "format.h"

class streamwriter {
 public:
  void byte(std::uint8_t value) { stream.push_back(value); }
  void bit(bool set);
  // The interlaced Elias gamma code of a value of 1 or more: each bit after
  // the leading 1 comes after a 1 that says "more"; a 0 ends the value.
  void gamma(std::uint32_t value);
  // The same without its first bit (0 for 1, else 1), sent elsewhere.
  void gammaafterfirst(std::uint32_t value);

  const bytes& written() const { return stream; }

 private:
  bytes stream;
  std::size_t bitbyte = 0;
  int bitsleft = 0;
};
