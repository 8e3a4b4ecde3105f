#pragma once

#include <cstdint>
#include <string>

// Reads a hexadecimal address text. Any character that is not a hex digit
// counts as a 0 digit, so "$0801" and "0x0801" both give 0x801; of a longer
// text only the last eight characters count. Never fails.
std::uint32_t hextoint(const std::string& text);
