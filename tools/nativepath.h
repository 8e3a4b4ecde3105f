#pragma once

#include <filesystem>
#include <string>

// partdisk hands its tools paths with "\"; on POSIX the file system wants
// "/".
inline std::filesystem::path nativepath(std::string path) {
#ifndef _WIN32
  for (char& c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
#endif
  return std::filesystem::path(path);
}
