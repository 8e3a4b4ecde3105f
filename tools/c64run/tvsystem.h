#pragma once

// PAL or NTSC: the C64's clock and the VIC-II's frame that come with it,
// the timer interrupt that system's KERNAL sets up, and the mains that
// feed the CIAs' time-of-day clocks.

#include <cstdint>

struct tvsystem {
  const char* name;
  std::uint64_t hertz;          // the C64's clock
  std::uint64_t cyclesperline;  // the VIC-II's lines: a 6569 or a 6567R8
  std::uint64_t linesperframe;
  std::uint16_t kernaltimer;    // CIA 1's timer A: about 60 Hz on both
  std::uint64_t mainshertz;     // what the TOD pin gets

  constexpr std::uint64_t cyclesperframe() const {
    return cyclesperline * linesperframe;
  }
  // A tick of the mains, to the nearest cycle.
  constexpr std::uint64_t cyclespertick() const {
    return (hertz + mainshertz / 2) / mainshertz;
  }
};

// 50 Hz mains and a 6569 at 985,248 Hz; 60 Hz mains and a 6567R8 at
// 1,022,727 Hz, faster than the drive's 1 MHz.
constexpr tvsystem pal{"PAL", 985248, 63, 312, 0x4025, 50};
constexpr tvsystem ntsc{"NTSC", 1022727, 65, 263, 0x4295, 60};
