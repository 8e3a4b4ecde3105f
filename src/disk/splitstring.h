#pragma once

#include <string>
#include <vector>

// Clears the list and fills it with the pieces of the text between
// separators, empty pieces included; a final piece is added only when it is
// not empty. Returns the count.
std::size_t splitstring(const std::string& text, const std::string& separator,
                        std::vector<std::string>& list);
