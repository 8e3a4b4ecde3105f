#include <windows.h>

#include "commandline.h"
#include "process.h"

std::vector<std::string> commandarguments(int, char**) {
  return splitcommandline(GetCommandLineA());
}

void printline(const std::string& text) {
  const std::string line = text + "\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(),
            static_cast<DWORD>(line.size()), &written, nullptr);
}

void runandwait(const std::string& commandline) {
  // CreateProcessA may write into the command line it is given.
  std::string writable = commandline;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &child)) {
    return;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
}
