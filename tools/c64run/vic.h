#pragma once

// The VIC-II as the processor sees it on a PAL C64 (6569): the raster
// counter, the raster interrupt, and the cycles its memory accesses take
// from the processor: 40 on every bad line while the display is on, and
// those of each sprite on the lines it covers. Nothing is drawn.

#include <array>
#include <cstdint>

constexpr std::uint64_t cyclesperline = 63;
constexpr std::uint64_t linesperframe = 312;
constexpr std::uint64_t cyclesperframe = cyclesperline * linesperframe;
constexpr std::uint64_t never = ~std::uint64_t{0};

class vic {
 public:
  vic();

  std::uint8_t read(unsigned reg, std::uint64_t now) const;
  void write(unsigned reg, std::uint8_t value, std::uint64_t now);

  // The cycle of the next raster match or memory access that takes cycles.
  std::uint64_t nextevent() const {
    return nextraster < nextsteal ? nextraster : nextsteal;
  }
  // Runs the next event and returns the cycles it takes from the
  // processor.
  std::uint64_t service();
  bool interrupt() const { return (latched & enabled & 0x0F) != 0; }

 private:
  unsigned compareline() const;
  unsigned stolenon(unsigned line) const;
  void scheduleraster(std::uint64_t after);
  void schedulesteal(std::uint64_t after);

  std::array<std::uint8_t, 0x40> registers{};
  std::uint8_t latched = 0;  // $D019: what happened
  std::uint8_t enabled = 0;  // $D01A: what interrupts
  std::uint64_t nextraster = never;
  std::uint64_t nextsteal = never;
};
