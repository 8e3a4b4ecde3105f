#include "matchfinder.h"

#include <algorithm>

// How many earlier positions are tried at each position: enough for the
// parse to see the matches that matter, few enough for a 50 KB program to
// crunch in well under a second.
constexpr int searchdepth = 256;

matchfinder::matchfinder(const bytes& data)
    : data(data), head(0x10000, -1), previous(data.size(), -1) {}

static std::uint32_t key(const bytes& data, std::uint32_t position) {
  return data[position] | data[position + 1] << 8;
}

std::uint32_t matchlength(const bytes& data, std::uint32_t from,
                          std::uint32_t earlier, std::uint32_t limit) {
  std::uint32_t length = 0;
  while (length < limit && data[from + length] == data[earlier + length])
    ++length;
  return length;
}

const std::vector<match>& matchfinder::at(std::uint32_t position) {
  found.clear();
  const auto size = static_cast<std::uint32_t>(data.size());
  if (position + 1 >= size) {
    return found;
  }
  const std::uint32_t limit = std::min(size - position, longestlength);
  const std::uint32_t key2 = key(data, position);
  std::uint32_t bestbits = 0;  // the offset cost of the last class kept
  int depth = searchdepth;
  for (std::int32_t earlier = head[key2]; earlier >= 0 && depth-- > 0;
       earlier = previous[static_cast<std::uint32_t>(earlier)]) {
    const std::uint32_t offset = position - static_cast<std::uint32_t>(earlier);
    if (offset > longestoffset) {
      break;
    }
    const std::uint32_t length =
        matchlength(data, position, static_cast<std::uint32_t>(earlier), limit);
    if (length < 2 || (!found.empty() && length <= found.back().length)) {
      continue;
    }
    // A longer match in the same cost class replaces the shorter one.
    if (!found.empty() && offsetbits(offset) == bestbits) {
      found.back() = match{offset, length};
    } else {
      found.push_back(match{offset, length});
      bestbits = offsetbits(offset);
    }
    if (length == limit) {
      break;
    }
  }
  insert(position);
  return found;
}

void matchfinder::insert(std::uint32_t position) {
  if (position + 1 < data.size()) {
    previous[position] = head[key(data, position)];
    head[key(data, position)] = static_cast<std::int32_t>(position);
  }
}
