#include "commandline.h"

static bool isblank(const std::string& text, std::size_t position) {
  return static_cast<unsigned char>(text[position]) <= ' ';
}

std::vector<std::string> splitcommandline(const std::string& text) {
  std::vector<std::string> arguments;
  std::size_t position = 0;
  const std::size_t end = text.size();
  for (;;) {
    while (position < end && isblank(text, position)) {
      ++position;
    }
    if (position + 1 < end && text[position] == '"' &&
        text[position + 1] == '"') {
      position += 2;
      continue;
    }
    if (position == end) {
      return arguments;
    }
    std::string argument;
    while (position < end && !isblank(text, position)) {
      if (text[position] == '"') {
        ++position;
        while (position < end && text[position] != '"') {
          argument += text[position++];
        }
        if (position < end) {
          ++position;
        }
      } else {
        argument += text[position++];
      }
    }
    arguments.push_back(argument);
  }
}
