#include "commandline.h"

#include <gtest/gtest.h>

namespace {

using arguments = std::vector<std::string>;

TEST(splitcommandline, CutsAtBlanksOutsideQuotes) {
  const struct {
    std::string text;
    arguments cut;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"a b", {"a", "b"}},
      {"  a   b  ", {"a", "b"}},
      {"a\tb\r\nc", {"a", "b", "c"}},
      {"\"C:\\my tools\\exomizer.exe\" -l auto -o \"C:\\my "
       "tools\\exotemp.prg\" "
       "intro.prg",
       {"C:\\my tools\\exomizer.exe", "-l", "auto", "-o",
        "C:\\my tools\\exotemp.prg", "intro.prg"}},
      // An empty source name leaves only a trailing blank behind.
      {"\"x.exe\" -o \"t.prg\" ", {"x.exe", "-o", "t.prg"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"unclosed stretch", {"unclosed stretch"}},
      {"\"\" a", {"a"}},
      {"\"\"a", {"a"}},
      {"a \"\" b", {"a", "b"}},
      {"a\"\"", {"a"}},
      {"\"\"\"x y\"", {"x y"}},
      {"\xe4 b", {"\xe4", "b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(splitcommandline(c.text), c.cut)
        << testing::PrintToString(c.text);
  }
}

}  // namespace
