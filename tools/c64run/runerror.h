#pragma once

#include <stdexcept>
#include <string>

// The one error of c64run: raised where a run or its setup fails, caught in
// main, which prints it and ends with its exit status (2 for bad usage or
// an unreadable image, 1 for a run that went wrong).
struct runerror : std::runtime_error {
  runerror(const std::string& message, int status)
      : std::runtime_error(message), status(status) {}
  int status;
};

// Addresses and opcodes appear in every message as "$0801" and "$A9".
inline std::string hexdigits(unsigned value, int digits) {
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) {
    text[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & 15];
  }
  return text;
}
inline std::string hex4(unsigned value) { return hexdigits(value, 4); }
inline std::string hex2(unsigned value) { return hexdigits(value, 2); }
