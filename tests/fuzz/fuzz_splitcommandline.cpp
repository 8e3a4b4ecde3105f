#include "commandline.h"
#include "fuzzcheck.h"

static bool isblank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Without quotes the line splits at runs of blanks and control characters.
static std::vector<std::string> plainsplit(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text + ' ') {
    if (!isblank(c)) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string text = textof(data, size);
  const std::vector<std::string> arguments = splitcommandline(text);

  std::size_t length = 0;
  for (const std::string& argument : arguments) {
    check(argument.find('"') == std::string::npos, "quotes are dropped");
    length += argument.size();
  }
  check(length <= text.size(), "arguments hold only bytes of the line");
  if (text.find('"') == std::string::npos) {
    check(arguments == plainsplit(text), "without quotes, blanks separate");
  }
  return 0;
}
