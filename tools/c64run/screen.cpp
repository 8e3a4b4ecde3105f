#include "screen.h"

// The screen editor's own variables in page 0.
constexpr std::uint16_t cursorcolumn = 0xD3;
constexpr std::uint16_t cursorrow = 0xD6;
constexpr std::uint16_t reverseon = 0xC7;

static std::uint8_t* cell(memory& machine, int row, int column) {
  return &machine.ram[screenstart + row * screencolumns + column];
}

void clearscreen(memory& machine) {
  for (int row = 0; row < screenrows; ++row) {
    for (int column = 0; column < screencolumns; ++column) {
      *cell(machine, row, column) = 0x20;
    }
  }
  machine.ram[cursorcolumn] = 0;
  machine.ram[cursorrow] = 0;
}

static void scrollup(memory& machine) {
  for (int row = 1; row < screenrows; ++row) {
    for (int column = 0; column < screencolumns; ++column) {
      *cell(machine, row - 1, column) = *cell(machine, row, column);
    }
  }
  for (int column = 0; column < screencolumns; ++column) {
    *cell(machine, screenrows - 1, column) = 0x20;
  }
}

static void newline(memory& machine) {
  machine.ram[cursorcolumn] = 0;
  if (machine.ram[cursorrow] + 1 < screenrows) {
    ++machine.ram[cursorrow];
  } else {
    scrollup(machine);
  }
}

// PETSCII to screen code in the upper case and graphics set; 0 marks the
// control codes, which print nothing.
static std::uint8_t screencode(std::uint8_t c) {
  if (c >= 0x20 && c < 0x40) return c;
  if (c >= 0x40 && c < 0x60) return static_cast<std::uint8_t>(c - 0x40);
  if (c >= 0x60 && c < 0x80) return static_cast<std::uint8_t>(c - 0x20);
  if (c >= 0xA0 && c < 0xC0) return static_cast<std::uint8_t>(c - 0x40);
  if (c >= 0xC0 && c < 0xFF) return static_cast<std::uint8_t>(c - 0x80);
  if (c == 0xFF) return 0x5E;
  return 0;
}

static void putcharacter(memory& machine, std::uint8_t code) {
  std::uint8_t& column = machine.ram[cursorcolumn];
  if (column >= screencolumns) {
    newline(machine);
  }
  const std::uint8_t reverse = machine.ram[reverseon] ? 0x80 : 0;
  *cell(machine, machine.ram[cursorrow], column) =
      static_cast<std::uint8_t>(code | reverse);
  ++column;
}

void printpetscii(memory& machine, std::uint8_t character) {
  std::uint8_t& column = machine.ram[cursorcolumn];
  std::uint8_t& row = machine.ram[cursorrow];
  switch (character) {
    case 0x0D:
    case 0x8D:
      machine.ram[reverseon] = 0;
      newline(machine);
      return;
    case 0x93:
      clearscreen(machine);
      return;
    case 0x13:
      column = 0;
      row = 0;
      return;
    case 0x12:
      machine.ram[reverseon] = 1;
      return;
    case 0x92:
      machine.ram[reverseon] = 0;
      return;
    case 0x11:
      if (row + 1 < screenrows)
        ++row;
      else
        scrollup(machine);
      return;
    case 0x91:
      if (row > 0) --row;
      return;
    case 0x1D:
      if (column + 1 < screencolumns)
        ++column;
      else
        newline(machine);
      return;
    case 0x9D:
      if (column > 0)
        --column;
      else if (row > 0) {
        --row;
        column = screencolumns - 1;
      }
      return;
    case 0x14:
      if (column > 0) {
        --column;
        *cell(machine, row, column) = 0x20;
      }
      return;
    default:
      break;
  }
  const std::uint8_t code = screencode(character);
  if (code != 0 || character == 0x40) {
    putcharacter(machine, code);
  }
}

// Letters, digits and punctuation look like themselves; the graphics
// characters have no ASCII twin and show as '#'.
static char lookalike(std::uint8_t code) {
  code &= 0x7F;  // reversed characters look the same
  if (code == 0) return '@';
  if (code <= 0x1A) return static_cast<char>('A' + code - 1);
  if (code == 0x1B) return '[';
  if (code == 0x1C) return '#';  // the pound sign
  if (code == 0x1D) return ']';
  if (code == 0x1E) return '^';
  if (code == 0x1F) return '<';
  if (code < 0x40) return static_cast<char>(code);
  if (code == 0x40) return '-';
  return '#';
}

std::string screentext(const memory& machine) {
  std::string text, pending;
  for (int row = 0; row < screenrows; ++row) {
    std::string line;
    for (int column = 0; column < screencolumns; ++column) {
      line +=
          lookalike(machine.ram[screenstart + row * screencolumns + column]);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    pending += line + "\n";
    if (!line.empty()) {
      text += pending;
      pending.clear();
    }
  }
  return text;
}
