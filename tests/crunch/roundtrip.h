#pragma once

// Round trips of the cruncher: crunch a program, then decrunch it in the
// C64 model with the 6502 decruncher and with the reference decruncher,
// and say what went wrong, if anything.

#include <cstdint>
#include <string>
#include <vector>

using programbytes = std::vector<std::uint8_t>;

struct roundtrip {
  programbytes crunched;     // the crunched file, load address first
  std::uint64_t cycles = 0;  // the 6502 decruncher's, call and return included
  std::string problem;       // empty when every check held
};

// The decruncher binary is boot/decrunch.asm assembled at $E000.
roundtrip crunchanddecrunch(const programbytes& program,
                            const programbytes& decruncher);

programbytes readbinary(const std::string& path);
