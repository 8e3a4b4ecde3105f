#include <windows.h>

#include "failure.h"
#include "files.h"
#include "platform.h"

static HANDLE handleof(const openfile& file) {
  return reinterpret_cast<HANDLE>(file.handle());
}

static openfile wrap(HANDLE handle) {
  return openfile(reinterpret_cast<std::intptr_t>(handle));
}

openfile::~openfile() {
  if (handle_ != closed) {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
  }
}

std::string nativepath(std::string path) { return path; }

std::string programdir() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return directorypart(std::string(buffer, length));
}

void deletefile(const std::string& path) { DeleteFileA(path.c_str()); }

bool fileexists(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return false;
  }
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool directoryexists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool createdirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

openfile openread(const std::string& path) {
  const HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw failure("Cannot open file " + path);
  }
  openfile file = wrap(handle);
  // A pipe or a device would read differently from a file, or block.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    throw failure("Cannot open file " + path);
  }
  return file;
}

openfile createwrite(const std::string& path) {
  const HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw failure("Cannot create file " + path);
  }
  return wrap(handle);
}

std::uint64_t filesize(const openfile& file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handleof(file), &size)) {
    return 0;
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

void seekstart(const openfile& file) {
  SetFilePointer(handleof(file), 0, nullptr, FILE_BEGIN);
}

// ReadFile and WriteFile take at most a DWORD at a time.
static DWORD chunk(std::size_t count) {
  return count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
}

std::size_t readsome(const openfile& file, void* buffer, std::size_t count) {
  DWORD got = 0;
  if (!ReadFile(handleof(file), buffer, chunk(count), &got, nullptr)) {
    return 0;
  }
  return got;
}

std::size_t writesome(const openfile& file, const void* buffer,
                      std::size_t count) {
  DWORD put = 0;
  if (!WriteFile(handleof(file), buffer, chunk(count), &put, nullptr)) {
    return 0;
  }
  return put;
}
