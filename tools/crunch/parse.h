#pragma once

// The optimal parse: the sequence of literal runs and matches that sends
// the data in the fewest bits the format allows, found by dynamic
// programming over the positions with the format's bit costs.

#include <cstdint>
#include <vector>

#include "format.h"

enum class tokenkind : std::uint8_t { literals, repeatmatch, newmatch };

struct token {
  tokenkind kind;
  std::uint32_t length;
  std::uint32_t offset;  // for matches
};

std::vector<token> parse(const bytes& data);
