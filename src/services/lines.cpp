#include "lines.h"

#include <algorithm>

std::vector<std::string> splitlines(const std::string& text) {
  const std::size_t end = std::min(text.find('\0'), text.size());
  std::vector<std::string> result;
  std::size_t position = 0;
  while (position < end) {
    std::size_t stop = position;
    while (stop < end && text[stop] != '\r' && text[stop] != '\n') {
      ++stop;
    }
    result.push_back(text.substr(position, stop - position));
    position = stop;
    if (position < end && text[position] == '\r') {
      ++position;
    }
    if (position < end && text[position] == '\n') {
      ++position;
    }
  }
  return result;
}
