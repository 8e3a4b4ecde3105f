#include "crunch.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "parse.h"
#include "streamwriter.h"

namespace {

// The stream for the program's bytes, in the order the decruncher reads
// it, and the largest lead (bytes written less bytes read) the decruncher
// ever has over its reading, which sets the safety margin.
struct crunchedstream {
  bytes stream;
  std::int64_t mostahead;
};

crunchedstream crunchstream(const bytes& content) {
  // The decruncher writes from the program's end downwards, so the cruncher
  // sees the program back to front.
  const bytes reversed(content.rbegin(), content.rend());
  const std::vector<token> tokens = parse(reversed);

  streamwriter out;
  std::int64_t written = 0;
  std::int64_t mostahead = 0;
  for (const token& t : tokens) {
    switch (t.kind) {
      case tokenkind::literals:
        out.bit(false);
        out.gamma(t.length);
        for (std::uint32_t i = 0; i < t.length; ++i) {
          out.byte(reversed[static_cast<std::size_t>(written) + i]);
        }
        break;
      case tokenkind::repeatmatch:
        out.bit(false);
        out.gamma(t.length);
        break;
      case tokenkind::newmatch:
        out.bit(true);
        out.gamma(((t.offset - 1) >> lowoffsetbits) + 1);
        out.byte(static_cast<std::uint8_t>((t.offset - 1) << 1 |
                                           gammafirstbit(t.length - 1)));
        out.gammaafterfirst(t.length - 1);
        break;
    }
    written += t.length;
    mostahead = std::max(
        mostahead, written - static_cast<std::int64_t>(out.written().size()));
  }
  out.bit(true);
  out.gamma(endmark);
  return crunchedstream{out.written(), mostahead};
}

}  // namespace

bytes crunchprogram(const bytes& program) {
  if (program.size() < 2) {
    throw cruncherror("a program needs a two-byte load address");
  }
  const std::uint32_t start = program[0] | program[1] << 8;
  const bytes content(program.begin() + 2, program.end());
  const std::uint32_t end = start + static_cast<std::uint32_t>(content.size());
  if (end > 0x10000) {
    throw cruncherror("the program runs past $FFFF");
  }
  const crunchedstream crunched = crunchstream(content);
  const auto size = static_cast<std::int64_t>(crunched.stream.size()) +
                    static_cast<std::int64_t>(addressbytes);
  const std::int64_t load =
      std::min<std::int64_t>(static_cast<std::int64_t>(end) - size -
                                 std::max<std::int64_t>(crunched.mostahead, 0),
                             static_cast<std::int64_t>(start) - 1);
  if (load < static_cast<std::int64_t>(lowestload)) {
    throw cruncherror(
        "the program starts too low to decrunch in place: its crunched data "
        "would start below $0400, where the loader lives");
  }
  if (load < static_cast<std::int64_t>(residentto) && end > residentfrom) {
    throw cruncherror(
        "the program or its crunched data would reach into $D000-$D2FF, "
        "where the loader keeps its decruncher, its end and its loading");
  }
  // The program's last address and the data's come at the bottom, where a
  // loader meets them first: it knows the whole range before it writes a
  // byte and hands the program's end to the decruncher, which starts
  // writing there; the data's end says where the pieces above go.
  const auto last = static_cast<std::uint16_t>(end - 1);
  const auto datalast = static_cast<std::uint16_t>(load + size - 1);
  bytes file(2 + addressbytes + crunched.stream.size());
  auto at = file.begin();
  for (const std::uint16_t address : {static_cast<std::uint16_t>(load), last,
                                      datalast}) {
    *at++ = static_cast<std::uint8_t>(address);
    *at++ = static_cast<std::uint8_t>(address >> 8);
  }
  std::copy(crunched.stream.rbegin(), crunched.stream.rend(), at);
  return file;
}

bytes inpartorder(const bytes& crunched) {
  const std::size_t head = 2 + headdatabytes;
  if (crunched.size() <= head) return crunched;
  bytes file(crunched.begin(), crunched.begin() + head);
  const auto piece = static_cast<std::ptrdiff_t>(piecebytes);
  auto top = crunched.end();
  while (top - (crunched.begin() + head) > piece) {
    file.insert(file.end(), top - piece, top);
    top -= piece;
  }
  file.insert(file.end(), crunched.begin() + head, top);
  return file;
}
