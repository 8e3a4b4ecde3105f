#pragma once

// What the tests of the C64 side share: the build's folders, found from the
// test program's own, and C64 program files.

#include <algorithm>
#include <cstdint>
#include <string>

#include "files.h"
#include "testfolder.h"

// A folder of the build (bin, testbin, examples, corpus) or a file in it.
inline fs::path built(const std::string& name) {
  return fs::path(::programdir()) / ".." / name;
}

// A C64 program file: the load address, low byte first, then the bytes.
inline filebytes programat(std::uint16_t address, const filebytes& content) {
  filebytes file(content.size() + 2);
  file[0] = static_cast<std::uint8_t>(address);
  file[1] = static_cast<std::uint8_t>(address >> 8);
  std::copy(content.begin(), content.end(), file.begin() + 2);
  return file;
}
