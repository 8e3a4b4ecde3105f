#pragma once

#include <stdexcept>
#include <string>

// The one error of the system: raised where something fails, caught only in
// main, which prints its message.
struct failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};
