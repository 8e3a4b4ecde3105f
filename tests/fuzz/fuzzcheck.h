#pragma once

// Fuzz targets state properties that hold for every input; a broken one
// aborts, which both libFuzzer and the corpus replay report as a failure.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline void check(bool holds, const char* property) {
  if (!holds) {
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
  }
}

inline std::string textof(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}
