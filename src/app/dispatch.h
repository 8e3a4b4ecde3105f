#pragma once

#include <string>
#include <vector>

// Runs the command named by argument 1; an unknown or missing command does
// nothing. Failures are raised, not reported.
void runcommand(const std::vector<std::string>& arguments);
