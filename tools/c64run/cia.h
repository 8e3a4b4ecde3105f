#pragma once

// A 6526 CIA: its two interval timers, the interrupt control register, the
// time-of-day clock and its ports. CIA 1 interrupts the processor through
// IRQ, CIA 2 through NMI. The serial shift register and the TOD alarm are
// left out: nothing here uses them.

#include <cstdint>

#include "tvsystem.h"

class cia {
 public:
  explicit cia(const tvsystem& system = pal);

  std::uint8_t read(unsigned reg, std::uint64_t now);
  void write(unsigned reg, std::uint8_t value, std::uint64_t now);

  // The cycle at which a timer counting the clock next underflows.
  std::uint64_t nextevent() const {
    return a.underflow < b.underflow ? a.underflow : b.underflow;
  }
  // Runs the next underflow.
  void service();
  bool interrupt() const { return (flags & mask) != 0; }

  // What the outside pulls low on port A and B.
  std::uint8_t inputsa = 0xFF, inputsb = 0xFF;
  // Port A's pins as the chip drives them, inputs floating high.
  std::uint8_t pinsa() const {
    return static_cast<std::uint8_t>(ports[0] | ~directions[0]);
  }

 private:
  struct timer {
    std::uint16_t latch = 0xFFFF;
    std::uint16_t counter = 0xFFFF;  // while it does not count the clock
    std::uint8_t control = 0;
    std::uint64_t underflow;  // when it counts the clock
  };
  struct timeofday {
    std::uint8_t tenths = 0, seconds = 0, minutes = 0, hours = 0x01;
  };

  bool countsclock(const timer& t) const;
  std::uint16_t counter(const timer& t, std::uint64_t now) const;
  void settimer(timer& t, std::uint16_t value, std::uint64_t now);
  void control(timer& t, std::uint8_t value, std::uint64_t now);
  void underflowed(timer& t, std::uint8_t flag);
  void advanceclock(std::uint64_t now);

  timer a, b;
  std::uint8_t flags = 0, mask = 0;
  std::uint8_t ports[2] = {0, 0}, directions[2] = {0, 0};
  timeofday clock;
  timeofday latched;
  bool holding = false;          // reading the hours froze what the others read
  bool running = true;           // writing the hours stops it until the tenths
  std::uint64_t cyclespertick;   // the mains' 50 or 60 Hz
  std::uint64_t clockcycle = 0;  // the cycle of the last tick counted
  unsigned ticks = 0;            // ticks counted into this tenth
};
