#include "fuzzcheck.h"
#include "lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string text = textof(data, size);
  const std::vector<std::string> lines = splitlines(text);

  const std::string beforenul = text.substr(0, text.find('\0'));
  check(splitlines(beforenul) == lines, "nothing after the first NUL is read");

  std::size_t kept = 0;
  for (const std::string& line : lines) {
    check(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos,
          "no line holds CR, LF or NUL");
    kept += line.size();
  }
  std::size_t content = 0;
  for (const char c : beforenul) {
    content += c != '\r' && c != '\n';
  }
  check(kept == content, "every other byte before the NUL is in a line");
  check(lines.size() <= beforenul.size(), "no more lines than bytes");
  return 0;
}
