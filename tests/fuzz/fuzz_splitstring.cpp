#include <vector>

#include "fuzzcheck.h"
#include "splitstring.h"

static void checksplit(const std::string& text, const std::string& separator) {
  std::vector<std::string> tokens = {"left over"};
  const std::size_t count = splitstring(text, separator, tokens);
  check(count == tokens.size(), "the count is the number of tokens");

  std::string joined;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    joined += (i > 0 ? separator : "") + tokens[i];
  }
  const bool endsinseparator = text.size() >= separator.size() &&
                               text.compare(text.size() - separator.size(),
                                            separator.size(), separator) == 0;
  check(joined == text || (endsinseparator && joined + separator == text),
        "the tokens joined give the text less at most one final separator");
}

// The first byte sets the length of a separator taken from the next bytes;
// the rest is the text. The blank the disk builder uses is checked always.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string input = textof(data, size);
  checksplit(input, " ");
  if (!input.empty()) {
    const std::size_t length = static_cast<unsigned char>(input[0]) % 4 + 1;
    if (input.size() > length) {
      checksplit(input.substr(1 + length), input.substr(1, length));
    }
  }
  return 0;
}
