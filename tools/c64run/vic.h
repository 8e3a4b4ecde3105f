#pragma once

// The VIC-II as the processor sees it, a PAL 6569 or an NTSC 6567R8: the
// raster counter, the raster interrupt, and the cycles its memory accesses
// take from the processor: 40 on every bad line while the display is on,
// and those of each sprite on the lines it covers. Nothing is drawn.

#include <array>
#include <cstdint>

#include "tvsystem.h"

constexpr std::uint64_t never = ~std::uint64_t{0};

class vic {
 public:
  explicit vic(const tvsystem& system = pal);

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
  unsigned lineat(std::uint64_t cycle) const;
  unsigned compareline() const;
  unsigned stolenon(unsigned line) const;
  void scheduleraster(std::uint64_t after);
  void schedulesteal(std::uint64_t after);

  tvsystem system;
  std::array<std::uint8_t, 0x40> registers{};
  std::uint8_t latched = 0;  // $D019: what happened
  std::uint8_t enabled = 0;  // $D01A: what interrupts
  std::uint64_t nextraster = never;
  std::uint64_t nextsteal = never;
};
