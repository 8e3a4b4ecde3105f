#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "failure.h"
#include "files.h"
#include "platform.h"

// Paths keep the caller's "\" everywhere else (messages, command lines, files
// written); only the operating system is given "/".
std::string nativepath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

static int descriptor(const openfile& file) {
  return static_cast<int>(file.handle());
}

openfile::~openfile() {
  if (handle_ != closed) {
    close(static_cast<int>(handle_));
  }
}

std::string programdir() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0) {
    return "";
  }
  return directorypart(std::string(buffer, static_cast<std::size_t>(length)));
}

void deletefile(const std::string& path) { unlink(nativepath(path).c_str()); }

bool fileexists(const std::string& path) {
  struct stat status {};
  return stat(nativepath(path).c_str(), &status) == 0 &&
         !S_ISDIR(status.st_mode);
}

bool directoryexists(const std::string& path) {
  struct stat status {};
  return stat(nativepath(path).c_str(), &status) == 0 &&
         S_ISDIR(status.st_mode);
}

bool createdirectory(const std::string& path) {
  return mkdir(nativepath(path).c_str(), 0777) == 0;
}

openfile openread(const std::string& path) {
  // Non-blocking, so that opening a named pipe cannot wait for a writer.
  const int fd =
      open(nativepath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    throw failure("Cannot open file " + path);
  }
  openfile file(fd);
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      fcntl(fd, F_SETFL, 0) != 0) {
    throw failure("Cannot open file " + path);
  }
  return file;
}

openfile createwrite(const std::string& path) {
  const int fd = open(nativepath(path).c_str(),
                      O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    throw failure("Cannot create file " + path);
  }
  return openfile(fd);
}

std::uint64_t filesize(const openfile& file) {
  struct stat status {};
  if (fstat(descriptor(file), &status) != 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(status.st_size);
}

void seekstart(const openfile& file) { lseek(descriptor(file), 0, SEEK_SET); }

std::size_t readsome(const openfile& file, void* buffer, std::size_t count) {
  ssize_t got;
  do {
    got = read(descriptor(file), buffer, count);
  } while (got < 0 && errno == EINTR);
  return got < 0 ? 0 : static_cast<std::size_t>(got);
}

std::size_t writesome(const openfile& file, const void* buffer,
                      std::size_t count) {
  ssize_t put;
  do {
    put = write(descriptor(file), buffer, count);
  } while (put < 0 && errno == EINTR);
  return put < 0 ? 0 : static_cast<std::size_t>(put);
}
