#include <windows.h>

#include "runprogram.h"
#include "testfolder.h"

// Quotes what would otherwise not stay one argument. The programs under test
// take no backslash escapes, so none are made.
static std::string quoted(const std::string& argument) {
  if (!argument.empty() &&
      argument.find_first_of(" \t\"") == std::string::npos) {
    return argument;
  }
  return "\"" + argument + "\"";
}

programrun runcommandline(const std::string& commandline,
                          const fs::path& workfolder) {
  const testfolder capture;
  const fs::path outputfile = capture.path() / "stdout";
  programrun result{-1, ""};
  {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const HANDLE output =
        CreateFileA(outputfile.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                    &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child = {};
    std::string writable = commandline;
    if (CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, workfolder.string().c_str(), &startup,
                       &child)) {
      WaitForSingleObject(child.hProcess, INFINITE);
      DWORD status = 0;
      GetExitCodeProcess(child.hProcess, &status);
      result.status = static_cast<int>(status);
      CloseHandle(child.hThread);
      CloseHandle(child.hProcess);
    }
    CloseHandle(output);
  }
  result.output = readtext(outputfile);
  return result;
}

programrun runprogram(const fs::path& program,
                      const std::vector<std::string>& arguments,
                      const fs::path& workfolder) {
  std::string commandline = quoted(program.string());
  for (const std::string& argument : arguments) {
    commandline += " " + quoted(argument);
  }
  return runcommandline(commandline, workfolder);
}
