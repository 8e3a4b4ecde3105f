#include "cia.h"

#include "vic.h"

enum : unsigned {
  porta = 0x0,
  portb = 0x1,
  directiona = 0x2,
  directionb = 0x3,
  timeralow = 0x4,
  timerahigh = 0x5,
  timerblow = 0x6,
  timerbhigh = 0x7,
  todtenths = 0x8,
  todseconds = 0x9,
  todminutes = 0xA,
  todhours = 0xB,
  interruptcontrol = 0xD,
  controla = 0xE,
  controlb = 0xF
};

enum : std::uint8_t {
  start = 0x01,
  oneshot = 0x08,
  forceload = 0x10,
  timeraflag = 0x01,
  timerbflag = 0x02
};

// The TOD pin gets the mains' 50 or 60 Hz; the chip counts a tenth every 5
// of its ticks when control register A's bit 7 says 50 Hz, every 6
// otherwise.
cia::cia(const tvsystem& system) : cyclespertick(system.cyclespertick()) {
  a.underflow = never;
  b.underflow = never;
}

// Timer A counts the clock unless told to count the CNT pin, which nothing
// drives here; timer B counts the clock or timer A's underflows.
bool cia::countsclock(const timer& t) const {
  if (!(t.control & start)) return false;
  return &t == &a ? !(t.control & 0x20) : (t.control & 0x60) == 0;
}

std::uint16_t cia::counter(const timer& t, std::uint64_t now) const {
  if (!countsclock(t)) return t.counter;
  if (now < t.underflow)
    return static_cast<std::uint16_t>(t.underflow - 1 - now);
  // Read after an underflow that has not been serviced yet.
  if (t.control & oneshot) return t.latch;
  return static_cast<std::uint16_t>(t.latch -
                                    (now - t.underflow) % (t.latch + 1u));
}

// A counter of N reads N-1 a cycle later and underflows on the cycle after
// it read 0: N+1 cycles.
void cia::settimer(timer& t, std::uint16_t value, std::uint64_t now) {
  t.counter = value;
  t.underflow = countsclock(t) ? now + value + 1 : never;
}

void cia::control(timer& t, std::uint8_t value, std::uint64_t now) {
  const std::uint16_t current = counter(t, now);
  t.control = static_cast<std::uint8_t>(value & ~forceload);
  settimer(t, (value & forceload) ? t.latch : current, now);
}

void cia::underflowed(timer& t, std::uint8_t flag) {
  flags |= flag;
  t.counter = t.latch;
  if (t.control & oneshot) t.control &= static_cast<std::uint8_t>(~start);
  if (&t == &a && (b.control & (start | 0x40)) == (start | 0x40)) {
    if (b.counter == 0) {
      underflowed(b, timerbflag);
    } else {
      --b.counter;
    }
  }
}

void cia::service() {
  timer& t = a.underflow <= b.underflow ? a : b;
  const std::uint64_t at = t.underflow;
  underflowed(t, &t == &a ? timeraflag : timerbflag);
  t.underflow = countsclock(t) ? at + t.latch + 1 : never;
}

static std::uint8_t bcdnext(std::uint8_t value) {
  return static_cast<std::uint8_t>((value & 0x0F) == 9 ? (value & 0xF0) + 0x10
                                                       : value + 1);
}

void cia::advanceclock(std::uint64_t now) {
  for (; clockcycle + cyclespertick <= now; clockcycle += cyclespertick) {
    if (!running) continue;
    if (++ticks < ((a.control & 0x80) ? 5u : 6u)) continue;
    ticks = 0;
    if (++clock.tenths < 10) continue;
    clock.tenths = 0;
    if ((clock.seconds = bcdnext(clock.seconds)) < 0x60) continue;
    clock.seconds = 0;
    if ((clock.minutes = bcdnext(clock.minutes)) < 0x60) continue;
    clock.minutes = 0;
    // 11 goes to 12 and turns AM to PM or back; 12 goes to 1.
    const std::uint8_t pm = clock.hours & 0x80;
    const std::uint8_t hour = clock.hours & 0x1F;
    if (hour == 0x11) {
      clock.hours = static_cast<std::uint8_t>(0x12 | (pm ^ 0x80));
    } else if (hour == 0x12) {
      clock.hours = static_cast<std::uint8_t>(0x01 | pm);
    } else {
      clock.hours = static_cast<std::uint8_t>(bcdnext(hour) | pm);
    }
  }
}

std::uint8_t cia::read(unsigned reg, std::uint64_t now) {
  switch (reg & 0xF) {
    case porta:
      return static_cast<std::uint8_t>((ports[0] | ~directions[0]) & inputsa);
    case portb:
      return static_cast<std::uint8_t>((ports[1] | ~directions[1]) & inputsb);
    case directiona:
      return directions[0];
    case directionb:
      return directions[1];
    case timeralow:
      return static_cast<std::uint8_t>(counter(a, now));
    case timerahigh:
      return static_cast<std::uint8_t>(counter(a, now) >> 8);
    case timerblow:
      return static_cast<std::uint8_t>(counter(b, now));
    case timerbhigh:
      return static_cast<std::uint8_t>(counter(b, now) >> 8);
    case todtenths: {
      advanceclock(now);
      const std::uint8_t tenths = holding ? latched.tenths : clock.tenths;
      holding = false;
      return tenths;
    }
    case todseconds:
      advanceclock(now);
      return holding ? latched.seconds : clock.seconds;
    case todminutes:
      advanceclock(now);
      return holding ? latched.minutes : clock.minutes;
    case todhours:
      advanceclock(now);
      latched = clock;
      holding = true;
      return clock.hours;
    case interruptcontrol: {
      const std::uint8_t value =
          static_cast<std::uint8_t>(flags | (interrupt() ? 0x80 : 0));
      flags = 0;
      return value;
    }
    case controla:
      return a.control;
    case controlb:
      return b.control;
    default:
      return 0;
  }
}

void cia::write(unsigned reg, std::uint8_t value, std::uint64_t now) {
  switch (reg & 0xF) {
    case porta:
    case portb:
      ports[reg & 1] = value;
      break;
    case directiona:
    case directionb:
      directions[reg & 1] = value;
      break;
    case timeralow:
    case timerblow: {
      timer& t = (reg & 0xF) == timeralow ? a : b;
      t.latch = static_cast<std::uint16_t>((t.latch & 0xFF00) | value);
      break;
    }
    case timerahigh:
    case timerbhigh: {
      timer& t = (reg & 0xF) == timerahigh ? a : b;
      t.latch = static_cast<std::uint16_t>((t.latch & 0x00FF) | value << 8);
      if (!(t.control & start)) settimer(t, t.latch, now);  // a stopped
      break;                                                // timer loads
    }
    case todtenths:
      if (b.control & 0x80) break;  // the alarm, which is not modelled
      advanceclock(now);
      clock.tenths = value & 0x0F;
      running = true;
      ticks = 0;
      break;
    case todseconds:
      if (b.control & 0x80) break;
      advanceclock(now);
      clock.seconds = value & 0x7F;
      break;
    case todminutes:
      if (b.control & 0x80) break;
      advanceclock(now);
      clock.minutes = value & 0x7F;
      break;
    case todhours:
      if (b.control & 0x80) break;
      advanceclock(now);
      clock.hours = value & 0x9F;
      running = false;
      break;
    case interruptcontrol:
      if (value & 0x80) {
        mask |= value & 0x1F;
      } else {
        mask &= static_cast<std::uint8_t>(~value);
      }
      break;
    case controla:
      control(a, value, now);
      break;
    case controlb:
      control(b, value, now);
      break;
    default:
      break;
  }
}
