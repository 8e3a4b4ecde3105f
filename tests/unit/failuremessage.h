#pragma once

#include <functional>
#include <string>

#include "failure.h"

// The message of the failure the action raises, or "no failure".
inline std::string failuremessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const failure& error) {
    return error.what();
  }
  return "no failure";
}
