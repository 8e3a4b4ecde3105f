#pragma once

// What the test doubles of the outside tools share: they are run by partdisk
// from a temporary program folder and leave their traces beside themselves.

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

// partdisk hands children paths with "\"; on POSIX the file system wants "/".
inline fs::path nativepath(std::string path) {
#ifndef _WIN32
  for (char& c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
#endif
  return fs::path(path);
}

// Appends the whole argument vector to the log, one per line and "--" after
// each call, and returns the folder the double lies in.
inline fs::path logcall(const std::string& logname, int argc, char** argv) {
  const fs::path folder = fs::path(argv[0]).parent_path();
  std::ofstream log(folder / logname, std::ios::app | std::ios::binary);
  for (int i = 0; i < argc; ++i) {
    log << argv[i] << "\n";
  }
  log << "--\n";
  return folder;
}
