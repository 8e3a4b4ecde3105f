#pragma once

#include <string>
#include <vector>

// Cuts text into lines at CR, LF or CR LF. The text ends at its first NUL;
// a final line end adds no empty line.
std::vector<std::string> splitlines(const std::string& text);
