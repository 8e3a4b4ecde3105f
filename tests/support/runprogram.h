#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct programrun {
  int status;          // the exit status
  std::string output;  // everything written to standard output
};

// Runs the program with the arguments in the working folder, as a user would
// from a console, and waits for it to end.
programrun runprogram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& workfolder);

#ifdef _WIN32
// Runs a raw Windows command line, whose first token names the program.
programrun runcommandline(const std::string& commandline,
                          const std::filesystem::path& workfolder);
#endif
