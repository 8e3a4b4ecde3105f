#include <sys/wait.h>

#include <cstdlib>

#include "runprogram.h"
#include "testfolder.h"

static std::string shellquoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

programrun runprogram(const fs::path& program,
                      const std::vector<std::string>& arguments,
                      const fs::path& workfolder) {
  const testfolder capture;
  const fs::path outputfile = capture.path() / "stdout";
  std::string command = "cd " + shellquoted(workfolder.string()) + " && " +
                        shellquoted(program.string());
  for (const std::string& argument : arguments) {
    command += " " + shellquoted(argument);
  }
  command += " > " + shellquoted(outputfile.string());
  const int result = std::system(command.c_str());
  const int status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return programrun{status, readtext(outputfile)};
}
