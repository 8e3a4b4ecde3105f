#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "commandline.h"
#include "files.h"
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

// A mutex name may not hold "\" and is limited in length, so the folder is
// named by a hash of its path (FNV-1a), without regard to letter case.
static std::string mutexname(const std::string& folder) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : folder) {
    const char lower =
        c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    hash = (hash ^ static_cast<unsigned char>(lower)) * 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\partdisk-%016llx",
                static_cast<unsigned long long>(hash));
  return name;
}

void lockprogramdir() {
  const HANDLE mutex =
      CreateMutexA(nullptr, FALSE, mutexname(programdir()).c_str());
  if (mutex == nullptr) {
    return;
  }
  // WAIT_ABANDONED also hands over the mutex: its last holder died.
  WaitForSingleObject(mutex, INFINITE);
  // The handle stays open on purpose: the mutex goes with the process.
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
