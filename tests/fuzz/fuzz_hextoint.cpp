#include <cctype>
#include <cstring>

#include "fuzzcheck.h"
#include "hextoint.h"

// Only the last eight characters can reach a 32-bit value; anything that is
// not a hex digit counts as 0.
static std::uint32_t reference(const std::string& text) {
  const std::string last =
      text.size() > 8 ? text.substr(text.size() - 8) : text;
  std::uint64_t value = 0;
  for (const char c : last) {
    const char* digits = "0123456789abcdef";
    const char* found =
        c == '\0'
            ? nullptr
            : std::strchr(digits, std::tolower(static_cast<unsigned char>(c)));
    value =
        value * 16 + (found ? static_cast<std::uint64_t>(found - digits) : 0);
  }
  return static_cast<std::uint32_t>(value);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string text = textof(data, size);
  check(hextoint(text) == reference(text), "hextoint matches the reference");
  return 0;
}
