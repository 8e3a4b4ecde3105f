#include "splitstring.h"

#include <gtest/gtest.h>

namespace {

using tokens = std::vector<std::string>;

TEST(splitstring, CutsAtEverySingleSeparator) {
  const struct {
    std::string text;
    tokens cut;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a b", {"a", "b"}},
      {"a  b", {"a", "", "b"}},
      {" a", {"", "a"}},
      {"a ", {"a"}},
      {"a  ", {"a", ""}},
      {" ", {""}},
      {"   ", {"", "", ""}},
      {"a\tb", {"a\tb"}},
      {"intro.prg 0801 extra", {"intro.prg", "0801", "extra"}},
  };
  for (const auto& c : cases) {
    tokens list = {"stale"};
    EXPECT_EQ(splitstring(c.text, " ", list), c.cut.size())
        << '"' << c.text << '"';
    EXPECT_EQ(list, c.cut) << '"' << c.text << '"';
  }
}

TEST(splitstring, TakesLongerSeparators) {
  tokens list;
  EXPECT_EQ(splitstring("a, b,, c", ", ", list), 3u);
  EXPECT_EQ(list, tokens({"a", "b,", "c"}));
  EXPECT_EQ(splitstring("abc", "", list), 1u);
}

}  // namespace
