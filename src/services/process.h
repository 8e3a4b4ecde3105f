#pragma once

#include <string>
#include <vector>

// The program's arguments, argument 0 included, in the platform's own way.
std::vector<std::string> commandarguments(int argc, char** argv);

// Writes one line to standard output with the platform's line end.
void printline(const std::string& text);

// Waits until no other run from the same program folder holds its lock,
// then holds it until this process ends, however it ends: the runs share the
// folder's temporary files. Children do not inherit the lock.
void lockprogramdir();

// Starts the command line as a child process, without a shell, and waits for
// it to end. A program that cannot be started is passed over, and the
// child's exit status is not examined.
void runandwait(const std::string& commandline);
