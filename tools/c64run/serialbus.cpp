#include "serialbus.h"

void connectbus(cia& computer, via& drive) {
  const std::uint8_t c64 = computer.pinsa();
  const std::uint8_t disk = drive.portb();
  const bool atnlow = c64 & 0x08;
  const bool atna = disk & 0x10;
  const bool clklow = (c64 & 0x10) || (disk & 0x08);
  const bool datalow = (c64 & 0x20) || (disk & 0x02) || atnlow != atna;
  computer.inputsa = static_cast<std::uint8_t>(0x3F | (clklow ? 0 : 0x40) |
                                               (datalow ? 0 : 0x80));
  drive.inputsb = static_cast<std::uint8_t>(
      (datalow ? 0x01 : 0) | (clklow ? 0x04 : 0) | (atnlow ? 0x80 : 0));
  drive.ca1(atnlow);
}
