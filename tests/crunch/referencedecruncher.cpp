#include "referencedecruncher.h"

namespace {

struct decruncher {
  memoryimage& memory;
  std::uint32_t load;
  std::int64_t src;  // the next stream byte; reading goes down
  std::int64_t dst;  // the next byte to write; writing goes down
  int bits = 0;
  int bitsleft = 0;
  std::string problem;
  std::uint64_t bitsread = 0;

  std::uint8_t byte() {
    if (src < static_cast<std::int64_t>(load)) {
      problem = "read below the crunched data";
      return 0;
    }
    return memory[static_cast<std::size_t>(src--)];
  }
  bool bit() {
    if (bitsleft == 0) {
      // The 6502 decruncher looks for a used-up bit byte only at a pair's
      // first bit.
      if (bitsread % 2 == 1 && problem.empty())
        problem = "a pair of bits straddles two bit bytes";
      bits = byte();
      bitsleft = 8;
    }
    ++bitsread;
    --bitsleft;
    return bits >> bitsleft & 1;
  }
  std::uint32_t gamma(std::uint32_t limit) { return gammafrom(bit(), limit); }
  // A gamma code whose first bit has been read.
  std::uint32_t gammafrom(bool more, std::uint32_t limit) {
    std::uint32_t value = 1;
    for (; more && value < limit; more = bit()) value = value << 1 | bit();
    return value;
  }
  void write(std::uint8_t value) {
    if (dst < 0) {
      problem = "wrote below address 0";
      return;
    }
    if (dst >= static_cast<std::int64_t>(load) && dst <= src &&
        problem.empty()) {
      problem =
          "overwrote crunched data still to be read at " + std::to_string(dst);
    }
    memory[static_cast<std::size_t>(dst--)] = value;
  }
};

}  // namespace

decrunched referencedecrunch(memoryimage& memory, std::uint32_t load,
                             std::uint32_t dataend) {
  // The program's and the data's last addresses lie at the bottom, for the
  // loader; the stream is read from the top down to them.
  const std::uint32_t last = memory[load] | memory[(load + 1) & 0xFFFF] << 8;
  decruncher d{
      memory, load + 4, static_cast<std::int64_t>(dataend) - 1, last, 0, 0, {}};
  std::uint32_t offset = 0;
  bool aftermatch = true;
  while (d.problem.empty()) {
    if (!d.bit()) {
      const std::uint32_t length = d.gamma(0x100);
      if (aftermatch) {  // literals; after the longest run, as after a match
        for (std::uint32_t i = 0; i < length && d.problem.empty(); ++i)
          d.write(d.byte());
        aftermatch = length == 255;
        continue;
      }
      for (std::uint32_t i = 0; i < length && d.problem.empty();
           ++i) {  // repeated match
        d.write(memory[static_cast<std::size_t>((d.dst + offset) & 0xFFFF)]);
      }
      aftermatch = true;
      continue;
    }
    const std::uint32_t highplusone = d.gamma(0x100);
    if (highplusone == 255) break;      // the end mark
    const std::uint8_t low = d.byte();  // its lowest bit: the length's first
    offset = ((highplusone - 1) << 7 | low >> 1) + 1;
    const std::uint32_t length = d.gammafrom(low & 1, 0x100) + 1;
    for (std::uint32_t i = 0; i < length && d.problem.empty(); ++i) {
      d.write(memory[static_cast<std::size_t>((d.dst + offset) & 0xFFFF)]);
    }
    aftermatch = true;
  }
  return decrunched{static_cast<std::uint32_t>(d.dst + 1), last + 1, d.problem};
}
