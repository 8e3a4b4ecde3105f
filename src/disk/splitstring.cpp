#include "splitstring.h"

std::size_t splitstring(const std::string& text, const std::string& separator,
                        std::vector<std::string>& list) {
  list.clear();
  std::size_t start = 0;
  // An empty separator would be found everywhere without moving on.
  const auto next = [&](std::size_t from) {
    return separator.empty() ? std::string::npos : text.find(separator, from);
  };
  for (std::size_t found = next(0); found != std::string::npos;
       found = next(start)) {
    list.push_back(text.substr(start, found - start));
    start = found + separator.size();
  }
  if (start < text.size()) {
    list.push_back(text.substr(start));
  }
  return list.size();
}
