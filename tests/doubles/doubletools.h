#pragma once

// What the test doubles of the outside tools share: they are run by partdisk
// from a temporary program folder and leave their traces beside themselves.

#include <filesystem>
#include <fstream>
#include <string>

#include "nativepath.h"

namespace fs = std::filesystem;

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

// The first word of a file, or "" when there is none: how a test sets a
// double's behaviour.
inline std::string readword(const fs::path& path) {
  std::ifstream in(path);
  std::string word;
  in >> word;
  return word;
}
