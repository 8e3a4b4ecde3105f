#include "vic.h"

// A bad line's fetches keep the processor off the bus from its 15th cycle
// to its 54th; sprite fetches come at the line's end.
constexpr std::uint64_t badlinestall = 40;
constexpr std::uint64_t badlinefrom = 15;
constexpr unsigned firstbadline = 0x30, lastbadline = 0xF7;
// Each sprite's pointer and data fetches take 2 cycles; the bus is asked
// for 3 cycles before the first of them.
constexpr unsigned cyclespersprite = 2, spritelead = 3;

enum : unsigned {
  spritey = 0x01,
  control1 = 0x11,
  raster = 0x12,
  spriteon = 0x15,
  spritetall = 0x17,
  interruptlatch = 0x19,
  interruptenable = 0x1A
};

vic::vic(const tvsystem& system) : system(system) {
  registers[control1] = 0x1B;  // the display on, 25 rows, scrolled by 3
  registers[0x16] = 0xC8;
  registers[0x18] = 0x15;
  scheduleraster(0);
  schedulesteal(0);
}

unsigned vic::lineat(std::uint64_t cycle) const {
  return static_cast<unsigned>(cycle / system.cyclesperline %
                               system.linesperframe);
}

std::uint8_t vic::read(unsigned reg, std::uint64_t now) const {
  reg &= 0x3F;
  const unsigned line = lineat(now);
  switch (reg) {
    case control1:
      return static_cast<std::uint8_t>((registers[control1] & 0x7F) |
                                       (line & 0x100) >> 1);
    case raster:
      return static_cast<std::uint8_t>(line);
    case interruptlatch:
      return static_cast<std::uint8_t>(latched | 0x70 |
                                       (interrupt() ? 0x80 : 0));
    case interruptenable:
      return static_cast<std::uint8_t>(enabled | 0xF0);
    default:
      return reg < 0x2F ? registers[reg] : 0xFF;
  }
}

void vic::write(unsigned reg, std::uint8_t value, std::uint64_t now) {
  reg &= 0x3F;
  if (reg == interruptlatch) {
    latched &= static_cast<std::uint8_t>(~value & 0x0F);  // 1s acknowledge
    return;
  }
  if (reg == interruptenable) {
    enabled = value & 0x0F;
    return;
  }
  registers[reg] = value;
  const bool timing = reg == control1 || reg == raster || reg == spriteon ||
                      reg == spritetall || (reg < 0x10 && (reg & 1));
  if (timing) {
    scheduleraster(now);
    schedulesteal(now);
  }
}

unsigned vic::compareline() const {
  return registers[raster] | (registers[control1] & 0x80) << 1;
}

unsigned vic::stolenon(unsigned line) const {
  unsigned stolen = 0;
  const std::uint8_t control = registers[control1];
  if ((control & 0x10) && line >= firstbadline && line <= lastbadline &&
      (line & 7) == (control & 7)) {
    stolen += badlinestall;
  }
  unsigned sprites = 0;
  for (unsigned n = 0; n < 8; ++n) {
    if (!(registers[spriteon] >> n & 1)) continue;
    const unsigned top = registers[spritey + 2 * n] + 1;
    const unsigned height = (registers[spritetall] >> n & 1) ? 42 : 21;
    const unsigned lines = static_cast<unsigned>(system.linesperframe);
    if ((line + lines - top) % lines < height) ++sprites;
  }
  if (sprites != 0) stolen += spritelead + cyclespersprite * sprites;
  return stolen;
}

void vic::scheduleraster(std::uint64_t after) {
  const unsigned compare = compareline();
  nextraster = never;
  if (compare < system.linesperframe) {
    const std::uint64_t frame = system.cyclesperframe();
    nextraster = after - after % frame + compare * system.cyclesperline;
    if (nextraster <= after) nextraster += frame;
  }
}

// A frame and a line on: every line with fetches recurs within a frame.
void vic::schedulesteal(std::uint64_t after) {
  nextsteal = never;
  const std::uint64_t line = system.cyclesperline;
  std::uint64_t linestart = after - after % line;
  for (unsigned i = 0; i <= system.linesperframe; ++i, linestart += line) {
    const std::uint64_t at = linestart + badlinefrom;
    if (at > after && stolenon(lineat(linestart)) != 0) {
      nextsteal = at;
      return;
    }
  }
}

std::uint64_t vic::service() {
  if (nextraster <= nextsteal) {
    latched |= 1;
    scheduleraster(nextraster);
    return 0;
  }
  const std::uint64_t at = nextsteal;
  schedulesteal(at);
  return stolenon(lineat(at));
}
