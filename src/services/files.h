#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<std::uint8_t>;
using lines = std::vector<std::string>;

// An open file, closed when it goes out of scope.
class openfile {
 public:
  explicit openfile(std::intptr_t handle) : handle_(handle) {}
  openfile(openfile&& other) noexcept : handle_(other.handle_) {
    other.handle_ = closed;
  }
  openfile(const openfile&) = delete;
  openfile& operator=(const openfile&) = delete;
  openfile& operator=(openfile&&) = delete;
  ~openfile();

  std::intptr_t handle() const { return handle_; }

 private:
  static constexpr std::intptr_t closed = -1;
  std::intptr_t handle_;
};

// "\" on every platform, and "/" where the platform uses it.
bool isseparator(char c);
// Everything up to and including the last separator (or drive colon).
std::string directorypart(const std::string& path);

// The running program's own folder, ending with its separator.
std::string programdir();

// Missing or undeletable files are passed over.
void deletefile(const std::string& path);

// True for an existing entry that is not a directory.
bool fileexists(const std::string& path);

// Creates the directory and its missing parents, outermost first. Raises
// only for an empty path; otherwise returns whether everything succeeded.
bool forcedirectories(const std::string& path);

// Only regular files open; a folder or a pipe is refused like a missing file.
openfile openread(const std::string& path);
// Creates or truncates the file for reading and writing.
openfile createwrite(const std::string& path);

std::uint64_t filesize(const openfile& file);
void seekstart(const openfile& file);
void readexactly(const openfile& file, void* buffer, std::size_t count);
void writeall(const openfile& file, const void* buffer, std::size_t count);
void copybytes(const openfile& source, const openfile& destination,
               std::uint64_t count);

bytes loadfile(const std::string& path);
void savefile(const std::string& path, const bytes& content);
lines loadlines(const std::string& path);
// Every line, the last one included, ends with CR LF.
void savelines(const std::string& path, const lines& list);
