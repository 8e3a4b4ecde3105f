#pragma once

// Finds, for each position of the data, the longest earlier match in each
// class of offsets that cost the same to send, nearest first.

#include <cstdint>
#include <vector>

#include "format.h"

struct match {
  std::uint32_t offset;
  std::uint32_t length;
};

class matchfinder {
 public:
  explicit matchfinder(const bytes& data);

  // Matches of two bytes or more at the position, cheaper offset classes
  // first, each longer than those before it. Positions must be asked for in
  // increasing order, each once.
  const std::vector<match>& at(std::uint32_t position);
  // Makes a position known to later searches without searching from it.
  void insert(std::uint32_t position);

 private:
  const bytes& data;
  std::vector<std::int32_t> head;      // by the two bytes at a position
  std::vector<std::int32_t> previous;  // the last position with the same two
  std::vector<match> found;
};

// How far two positions agree, at most the limit.
std::uint32_t matchlength(const bytes& data, std::uint32_t from,
                          std::uint32_t earlier, std::uint32_t limit);
