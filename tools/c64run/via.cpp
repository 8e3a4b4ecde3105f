#include "via.h"

#include "vic.h"

enum : unsigned {
  portbreg = 0x0,
  portareg = 0x1,
  directionb = 0x2,
  directiona = 0x3,
  timer1low = 0x4,
  timer1high = 0x5,
  latch1low = 0x6,
  latch1high = 0x7,
  timer2low = 0x8,
  timer2high = 0x9,
  auxiliaryreg = 0xB,
  peripheralreg = 0xC,
  flagsreg = 0xD,
  enablereg = 0xE,
  portaquiet = 0xF
};

enum : std::uint8_t {
  ca1flag = 0x02,
  cb1flag = 0x10,
  timer2flag = 0x20,
  timer1flag = 0x40,
  freerunning = 0x40  // in the auxiliary control register
};

via::via() : timer1(never), timer2(never) {}

// A counter loaded with N reads N on that cycle, passes zero N + 1 cycles
// later (the data sheet's N + 1.5, the half cycle dropped) and then reads
// $FFFF; running free, it is N again a cycle after that, every N + 2.
std::uint16_t via::counter1(std::uint64_t now) const {
  const std::uint64_t passed = now - start1;
  if (auxiliary & freerunning) {
    return static_cast<std::uint16_t>(value1 - passed % (value1 + 2u));
  }
  return static_cast<std::uint16_t>(value1 - passed);
}

std::uint16_t via::counter2(std::uint64_t now) const {
  return static_cast<std::uint16_t>(value2 - (now - start2));
}

void via::service() {
  if (timer1 <= timer2) {
    flags |= timer1flag;
    if (auxiliary & freerunning) {  // reloads from the latch, as it is now
      start1 = timer1 + 1;
      value1 = latch1;
      timer1 = start1 + latch1 + 1;
    } else {
      timer1 = never;
    }
  } else {
    flags |= timer2flag;
    timer2 = never;
  }
}

void via::ca1(bool level) {
  const bool rising = peripheral & 0x01;
  if (level != levelca1 && level == rising) flags |= ca1flag;
  levelca1 = level;
}

void via::cb1(bool level) {
  const bool rising = peripheral & 0x10;
  if (level != levelcb1 && level == rising) flags |= cb1flag;
  levelcb1 = level;
}

std::uint8_t via::read(unsigned reg, std::uint64_t now) {
  switch (reg & 0xF) {
    case portbreg:
      flags &= static_cast<std::uint8_t>(~cb1flag);
      return portb();
    case portareg:
      flags &= static_cast<std::uint8_t>(~ca1flag);
      return porta();
    case portaquiet:
      return porta();
    case directionb:
      return directions[1];
    case directiona:
      return directions[0];
    case timer1low:
      flags &= static_cast<std::uint8_t>(~timer1flag);
      return static_cast<std::uint8_t>(counter1(now));
    case timer1high:
      return static_cast<std::uint8_t>(counter1(now) >> 8);
    case latch1low:
      return static_cast<std::uint8_t>(latch1);
    case latch1high:
      return static_cast<std::uint8_t>(latch1 >> 8);
    case timer2low:
      flags &= static_cast<std::uint8_t>(~timer2flag);
      return static_cast<std::uint8_t>(counter2(now));
    case timer2high:
      return static_cast<std::uint8_t>(counter2(now) >> 8);
    case auxiliaryreg:
      return auxiliary;
    case peripheralreg:
      return peripheral;
    case flagsreg:
      return static_cast<std::uint8_t>(flags | (interrupt() ? 0x80 : 0));
    case enablereg:
      return static_cast<std::uint8_t>(enabled | 0x80);
    default:
      return 0;  // the shift register
  }
}

void via::write(unsigned reg, std::uint8_t value, std::uint64_t now) {
  switch (reg & 0xF) {
    case portbreg:
      outputs[1] = value;
      flags &= static_cast<std::uint8_t>(~cb1flag);
      break;
    case portareg:
      flags &= static_cast<std::uint8_t>(~ca1flag);
      outputs[0] = value;
      break;
    case portaquiet:
      outputs[0] = value;
      break;
    case directionb:
      directions[1] = value;
      break;
    case directiona:
      directions[0] = value;
      break;
    case timer1low:
    case latch1low:
      latch1 = static_cast<std::uint16_t>((latch1 & 0xFF00) | value);
      break;
    case timer1high:  // loads the counter from the latch and starts it
      latch1 = static_cast<std::uint16_t>((latch1 & 0x00FF) | value << 8);
      value1 = latch1;
      start1 = now;
      timer1 = now + latch1 + 1;
      flags &= static_cast<std::uint8_t>(~timer1flag);
      break;
    case latch1high:
      latch1 = static_cast<std::uint16_t>((latch1 & 0x00FF) | value << 8);
      flags &= static_cast<std::uint8_t>(~timer1flag);
      break;
    case timer2low:
      latch2low = value;
      break;
    case timer2high:
      value2 = static_cast<std::uint16_t>(latch2low | value << 8);
      start2 = now;
      timer2 = now + value2 + 1;
      flags &= static_cast<std::uint8_t>(~timer2flag);
      break;
    case auxiliaryreg:
      auxiliary = value;
      break;
    case peripheralreg:
      peripheral = value;
      break;
    case flagsreg:  // 1s clear
      flags &= static_cast<std::uint8_t>(~value & 0x7F);
      break;
    case enablereg:
      if (value & 0x80) {
        enabled |= value & 0x7F;
      } else {
        enabled &= static_cast<std::uint8_t>(~value);
      }
      break;
    default:
      break;
  }
}
