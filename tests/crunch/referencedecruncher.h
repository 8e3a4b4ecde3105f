#pragma once

// The crunched format's executable definition: decrunches in place in a
// 64 KB memory image, as the 6502 decruncher does, and checks on the way
// that no byte is written over crunched data still to be read.

#include <array>
#include <cstdint>
#include <string>

using memoryimage = std::array<std::uint8_t, 0x10000>;

struct decrunched {
  std::uint32_t first = 0;  // the program's range, [first, end)
  std::uint32_t end = 0;
  std::string problem;  // empty when all went well
};

// The crunched data lies at [load, dataend).
decrunched referencedecrunch(memoryimage& memory, std::uint32_t load,
                             std::uint32_t dataend);
