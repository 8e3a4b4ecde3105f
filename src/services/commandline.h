#pragma once

#include <string>
#include <vector>

// Cuts a command line into arguments: blanks and control characters separate
// them; a double quote opens a stretch, closed by the next one, in which
// blanks belong to the argument; the quotes are dropped; a pair of quotes at
// the start of an argument is passed over, so "" alone is no argument.
std::vector<std::string> splitcommandline(const std::string& text);
