#include "hextoint.h"

static std::uint32_t digitvalue(char c) {
  if (c >= '0' && c <= '9') {
    return static_cast<std::uint32_t>(c - '0');
  }
  if (c >= 'a' && c <= 'f') {
    return static_cast<std::uint32_t>(c - 'a' + 10);
  }
  if (c >= 'A' && c <= 'F') {
    return static_cast<std::uint32_t>(c - 'A' + 10);
  }
  return 0;
}

std::uint32_t hextoint(const std::string& text) {
  std::uint32_t value = 0;
  for (const char c : text) {
    value = (value << 4) | digitvalue(c);
  }
  return value;
}
