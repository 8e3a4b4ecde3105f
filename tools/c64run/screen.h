#pragma once

// The text screen at $0400 (40 columns, 25 rows) as the screen editor
// drives it: CHROUT prints PETSCII there in the upper case and graphics set,
// keeping the cursor where the KERNAL keeps it ($D3 column, $D6 row), so
// PLOT and programs that read those see the real places.

#include <cstdint>
#include <string>

#include "memory.h"

constexpr std::uint16_t screenstart = 0x0400;
constexpr int screencolumns = 40;
constexpr int screenrows = 25;

void clearscreen(memory& machine);
void printpetscii(memory& machine, std::uint8_t character);

// The screen as text, each screen code as its ASCII look-alike, trailing
// blanks and empty rows at the bottom cut, every row ended by a newline.
std::string screentext(const memory& machine);
