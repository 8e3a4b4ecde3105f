#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "commandline.h"
#include "files.h"
#include "platform.h"
#include "process.h"

extern char** environ;

std::vector<std::string> commandarguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void printline(const std::string& text) {
  const std::string line = text + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

void lockprogramdir() {
  const int folder = open(nativepath(programdir()).c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    return;
  }
  while (flock(folder, LOCK_EX) != 0 && errno == EINTR) {
  }
  // The descriptor stays open on purpose: the lock goes with the process.
}

void runandwait(const std::string& commandline) {
  std::vector<std::string> arguments = splitcommandline(commandline);
  if (arguments.empty()) {
    return;
  }
  const std::string program = nativepath(arguments.front());
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);

  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(),
                  environ) != 0) {
    return;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}
