#include "memory.h"

memory::memory(bool allram, const tvsystem& system)
    : system(system), chips(system), allram(allram) {
  if (allram) {
    chips.nextevent = never;  // no chips to run
  } else {
    setport(0x2F, 0x37);  // as the KERNAL leaves it: BASIC, I/O, KERNAL
  }
}

// The ROMs hold nothing the machine runs, but code reads their vectors: BRK
// goes through $FFFE, and JMP ($A002) is BASIC's warm start.
std::uint8_t memory::romvector(std::uint16_t address) const {
  switch (address) {
    case 0xA000:
      return 0x94;  // cold start $E394
    case 0xA001:
      return 0xE3;
    case 0xA002:
      return 0x7B;  // warm start $E37B
    case 0xA003:
      return 0xE3;
    case 0xFFFA:
      return static_cast<std::uint8_t>(nmientry);
    case 0xFFFB:
      return static_cast<std::uint8_t>(nmientry >> 8);
    case 0xFFFC:
      return 0xE2;  // reset $FCE2
    case 0xFFFD:
      return 0xFC;
    case 0xFFFE:  // IRQ and BRK
      return static_cast<std::uint8_t>(irqentry);
    case 0xFFFF:
      return static_cast<std::uint8_t>(irqentry >> 8);
    default:
      return 0;
  }
}

std::uint8_t memory::readhigh(std::uint16_t address) {
  if (address < 0xC000) {
    return basicvisible ? romvector(address) : ram[address];
  }
  if (address < 0xD000) {
    return ram[address];
  }
  if (address < 0xE000) {
    if (iovisible) return chips.read(address, cycles);
    return charvisible ? 0 : ram[address];
  }
  return kernalvisible ? romvector(address) : ram[address];
}

void memory::writespecial(std::uint16_t address, std::uint8_t value) {
  if (address == 0) {
    setport(value, portdata);
  } else if (address == 1) {
    setport(portdirection, value);
  } else {
    chips.write(address, value, cycles);
  }
}

// Lines set as inputs float high, so a port bit counts as set unless the
// processor drives it low.
void memory::setport(std::uint8_t direction, std::uint8_t data) {
  portdirection = direction;
  portdata = data;
  ram[0] = direction;
  ram[1] = static_cast<std::uint8_t>((data & direction) | (~direction & 0x17));
  const int lines = (data | ~direction) & 7;
  const bool loram = lines & 1, hiram = lines & 2, charen = lines & 4;
  basicvisible = loram && hiram;
  kernalvisible = hiram;
  iovisible = (loram || hiram) && charen;
  charvisible = (loram || hiram) && !charen;
  iofrom = iovisible ? 0xD000 : 0x10000;
}
