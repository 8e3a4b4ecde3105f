#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using filebytes = std::vector<unsigned char>;

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class testfolder {
 public:
  testfolder();
  ~testfolder();
  testfolder(const testfolder&) = delete;
  testfolder& operator=(const testfolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void writefile(const fs::path& path, const filebytes& content);
void writetext(const fs::path& path, const std::string& text);
filebytes readfile(const fs::path& path);
std::string readtext(const fs::path& path);

// count bytes that count up from first, wrapping at 256.
filebytes countingbytes(std::size_t count, unsigned char first = 0);
