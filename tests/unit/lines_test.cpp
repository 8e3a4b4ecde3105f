#include "lines.h"

#include <gtest/gtest.h>

namespace {

using linelist = std::vector<std::string>;

TEST(splitlines, EndsLinesAtCrLfAndTheFirstNul) {
  const struct {
    std::string text;
    linelist lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {std::string("a\0b", 3), {"a"}},
      {std::string("a\r\n\0b\r\n", 7), {"a"}},
      {std::string("\0", 1), {}},
      {" a \t", {" a \t"}},
      {"\xe4\xf6\r\n", {"\xe4\xf6"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(splitlines(c.text), c.lines) << testing::PrintToString(c.text);
  }
}

}  // namespace
