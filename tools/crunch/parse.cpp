#include "parse.h"

#include <algorithm>
#include <array>
#include <limits>

#include "matchfinder.h"

namespace {

constexpr std::uint32_t unreached = std::numeric_limits<std::uint32_t>::max();

// Matches of the longest length are taken as they are, without weighing
// what else could start inside them: they win anyway, and repetitive data
// would otherwise cost time in proportion to its length times 255.
constexpr std::uint32_t takenwhole = longestlength;

// How many ways to reach a position are kept, each with another last
// offset: the cheapest way is not always the one whose offset a repeated
// match can use later.
constexpr int kept = 4;

// Ways are weighed in quarters of a bit, so that a token can cost a
// quarter more than its bits: of two ways equal in bits, the one with fewer
// tokens wins, and the decruncher spends most of its time on tokens, not on
// bytes. It costs the corpus a few bytes and saves it a cycle in a hundred.
constexpr std::uint32_t quarters(std::uint32_t bits) { return bits * 4; }
constexpr std::uint32_t tokenprice = 1;

enum state : std::uint8_t { afterliterals, aftermatch };

// A way to reach a position: in the state after a literal run (which a
// repeated match may follow), or after a match (or the longest run).
struct arrival {
  std::uint32_t cost = unreached;  // in quarters of a bit
  std::uint32_t offset = 0;        // the last match's offset
  std::uint32_t runlength = 0;     // after literals: the run so far
  std::uint32_t length = 0;        // of the last token
  tokenkind kind = tokenkind::literals;
  state before = aftermatch;    // the way the last token was sent from:
  std::uint8_t beforeslot = 0;  // its state and place at its position
};

using arrivals = std::array<arrival, kept>;

// Keeps the cheapest ways, one for each offset, cheapest first.
void offer(arrivals& ways, const arrival& candidate) {
  auto same = std::find_if(ways.begin(), ways.end(), [&](const arrival& way) {
    return way.offset == candidate.offset;
  });
  if (same == ways.end()) same = ways.end() - 1;  // the dearest makes room
  if (candidate.cost >= same->cost) return;
  *same = candidate;
  std::sort(ways.begin(), ways.end(),
            [](const arrival& a, const arrival& b) { return a.cost < b.cost; });
}

}  // namespace

std::vector<token> parse(const bytes& data) {
  const auto size = static_cast<std::uint32_t>(data.size());
  std::vector<arrivals> literal(size + 1), matched(size + 1);
  matched[0][0].cost = 0;  // the decruncher starts as if after a match
  matchfinder finder(data);

  for (std::uint32_t i = 0; i < size; ++i) {
    const arrivals& lits = literal[i];
    const arrivals& mats = matched[i];
    const std::uint32_t cheapest = std::min(lits[0].cost, mats[0].cost);
    if (cheapest == unreached) {
      finder.insert(i);
      continue;
    }
    for (std::uint8_t slot = 0; slot < kept; ++slot) {
      // A literal run goes on. The longest run leaves the decruncher as a
      // match does: another run may follow, a repeated match may not.
      const arrival& lit = lits[slot];
      if (lit.cost != unreached) {
        arrival next = lit;
        next.cost += quarters(8 + gammabits(lit.runlength + 1) -
                              gammabits(lit.runlength));
        next.runlength = next.length = lit.runlength + 1;
        offer(next.runlength == longestlength ? matched[i + 1] : literal[i + 1],
              next);

        // A repeated match at the last offset.
        if (lit.offset != 0 && lit.offset <= i) {
          const std::uint32_t longest = matchlength(
              data, i, i - lit.offset, std::min(size - i, longestlength));
          for (std::uint32_t length = 1; length <= longest; ++length) {
            offer(
                matched[i + length],
                arrival{lit.cost + quarters(1 + gammabits(length)) + tokenprice,
                        lit.offset, 0, length, tokenkind::repeatmatch,
                        afterliterals, slot});
          }
        }
      }
      // A literal run starts after a match.
      const arrival& mat = mats[slot];
      if (mat.cost != unreached) {
        offer(literal[i + 1],
              arrival{mat.cost + quarters(1 + gammabits(1) + 8) + tokenprice,
                      mat.offset, 1, 1, tokenkind::literals, aftermatch, slot});
      }
    }
    // New matches, from the cheapest way here.
    const state from =
        lits[0].cost <= mats[0].cost ? afterliterals : aftermatch;
    std::uint32_t shorter = 1;
    const std::vector<match>& matches = finder.at(i);
    for (const match& found : matches) {
      const std::uint32_t cost =
          cheapest + quarters(1 + offsetbits(found.offset)) + tokenprice;
      for (std::uint32_t length = shorter + 1; length <= found.length;
           ++length) {
        offer(matched[i + length],
              arrival{cost + quarters(gammabits(length - 1)), found.offset, 0,
                      length, tokenkind::newmatch, from, 0});
      }
      shorter = found.length;
    }
    if (!matches.empty() && matches.back().length >= takenwhole) {
      for (std::uint32_t skipped = i + 1; skipped < i + matches.back().length;
           ++skipped) {
        finder.insert(skipped);
      }
      i += matches.back().length - 1;
    }
  }

  // Back from the end, one token at a time.
  std::vector<token> tokens;
  state at = literal[size][0].cost < matched[size][0].cost ? afterliterals
                                                           : aftermatch;
  std::uint8_t slot = 0;
  for (std::uint32_t position = size; position > 0;) {
    const arrival& way =
        (at == afterliterals ? literal : matched)[position][slot];
    tokens.push_back(token{way.kind, way.length, way.offset});
    position -= way.length;
    at = way.before;
    slot = way.beforeslot;
  }
  std::reverse(tokens.begin(), tokens.end());
  return tokens;
}
