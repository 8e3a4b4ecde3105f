#pragma once

#include <cstdint>
#include <string>

// Has the cruncher pack the source program and writes the part file: the
// crunched load address, the first 120 bytes of the header text beside the
// source, the address (0: the crunched load address) and the crunched data.
void makepart(const std::string& source, const std::string& output,
              std::uint32_t address);
