#pragma once

#include <algorithm>
#include <filesystem>
#include <string>

// partdisk hands its tools paths with "\"; on POSIX the file system wants
// "/".
inline std::filesystem::path nativepath(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return std::filesystem::path(path);
}
