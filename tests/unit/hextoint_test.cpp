#include "hextoint.h"

#include <gtest/gtest.h>

namespace {

TEST(hextoint, ReadsAddressTexts) {
  const struct {
    const char* text;
    std::uint32_t value;
  } cases[] = {
      {"0801", 0x801},
      {"$0801", 0x801},
      {"0x0801", 0x801},
      {"ffff", 0xFFFF},
      {"FFFF", 0xFFFF},
      {"aBcD", 0xABCD},
      {"", 0},
      {"xyz", 0},
      {"8G", 0x80},
      {"G8", 0x08},
      {"fedcba98", 0xFEDCBA98},
      {"123456789", 0x23456789},
      {"10000", 0x10000},
      {"12 34", 0x12034},
      {"\xff"
       "1",
       0x01},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hextoint(c.text), c.value) << '"' << c.text << '"';
  }
}

}  // namespace
