#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "c64programs.h"
#include "runprogram.h"

// Runs the built c64run in the folder. Its lines end in LF here, whatever
// the platform ends them with.
inline programrun runc64(const std::vector<std::string>& arguments,
                         const fs::path& folder) {
  programrun result = runprogram(built("bin") / C64RUN_NAME, arguments, folder);
  result.output.erase(
      std::remove(result.output.begin(), result.output.end(), '\r'),
      result.output.end());
  return result;
}
