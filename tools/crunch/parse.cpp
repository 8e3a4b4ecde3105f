#include "parse.h"

#include <algorithm>
#include <limits>

#include "matchfinder.h"

namespace {

constexpr std::uint32_t unreached = std::numeric_limits<std::uint32_t>::max();

// Matches of the longest length are taken as they are, without weighing
// what else could start inside them: they win anyway, and repetitive data
// would otherwise cost time in proportion to its length times 255.
constexpr std::uint32_t takenwhole = longestlength;

// The cheapest way found to reach a position, in one of two states: just
// after a literal run (which a repeated match may follow) or just after a
// match.
struct arrival {
  std::uint32_t bits = unreached;
  std::uint32_t offset = 0;      // the last match's offset
  std::uint32_t runlength = 0;   // in the literal state: the run so far
  std::uint32_t from = 0;        // where the last token started
  std::uint32_t length = 0;      // and its length
  tokenkind kind = tokenkind::literals;
  bool fromliteral = false;      // the state the token was sent from
};

void offer(arrival& to, const arrival& candidate) {
  if (candidate.bits < to.bits) to = candidate;
}

}  // namespace

std::vector<token> parse(const bytes& data) {
  const auto size = static_cast<std::uint32_t>(data.size());
  std::vector<arrival> literal(size + 1), matched(size + 1);
  matched[0].bits = 0;  // the decruncher starts as if after a match
  matchfinder finder(data);

  for (std::uint32_t i = 0; i < size; ++i) {
    const arrival& lit = literal[i];
    const arrival& mat = matched[i];
    if (lit.bits == unreached && mat.bits == unreached) {
      finder.insert(i);
      continue;
    }
    // A literal run goes on, or starts after a match. A run of the longest
    // length leaves the decruncher as a match does: another run may follow,
    // a repeated match may not.
    if (lit.bits != unreached) {
      arrival next = lit;
      next.bits += 8 + gammabits(lit.runlength + 1) - gammabits(lit.runlength);
      next.runlength = lit.runlength + 1;
      next.length = next.runlength;
      offer(next.runlength == longestlength ? matched[i + 1] : literal[i + 1], next);
    }
    if (mat.bits != unreached) {
      offer(literal[i + 1], arrival{mat.bits + 1 + gammabits(1) + 8, mat.offset, 1, i, 1,
                                    tokenkind::literals, false});
    }
    // A repeated match: only after literals, at the last match's offset.
    if (lit.bits != unreached && lit.offset != 0 && lit.offset <= i) {
      const std::uint32_t longest =
          matchlength(data, i, i - lit.offset, std::min(size - i, longestlength));
      for (std::uint32_t length = 1; length <= longest; ++length) {
        offer(matched[i + length], arrival{lit.bits + 1 + gammabits(length), lit.offset, 0, i,
                                           length, tokenkind::repeatmatch, true});
      }
    }
    // New matches, sent from whichever state is cheaper here.
    const bool fromliteral = lit.bits <= mat.bits;
    const std::uint32_t base = std::min(lit.bits, mat.bits) + 1;
    std::uint32_t shorter = 1;
    const std::vector<match>& matches = finder.at(i);
    for (const match& found : matches) {
      const std::uint32_t bits = base + offsetbits(found.offset);
      for (std::uint32_t length = shorter + 1; length <= found.length; ++length) {
        offer(matched[i + length], arrival{bits + gammabits(length - 1), found.offset, 0, i,
                                           length, tokenkind::newmatch, fromliteral});
      }
      shorter = found.length;
    }
    if (!matches.empty() && matches.back().length >= takenwhole) {
      for (std::uint32_t skipped = i + 1; skipped < i + matches.back().length; ++skipped) {
        finder.insert(skipped);
      }
      i += matches.back().length - 1;
    }
  }

  // Back from the end, one token at a time.
  std::vector<token> tokens;
  bool inliteral = literal[size].bits < matched[size].bits;
  for (std::uint32_t position = size; position > 0;) {
    const arrival& at = inliteral ? literal[position] : matched[position];
    tokens.push_back(token{at.kind, at.length, at.offset});
    position -= at.length;
    inliteral = at.kind == tokenkind::literals ? false : at.fromliteral;
  }
  std::reverse(tokens.begin(), tokens.end());
  return tokens;
}
