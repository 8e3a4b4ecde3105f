#include "testfolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

testfolder::testfolder() {
  std::random_device random;
  path_ =
      fs::temp_directory_path() / ("partdisk-test-" + std::to_string(random()) +
                                   "-" + std::to_string(random()));
  fs::create_directories(path_);
}

testfolder::~testfolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void writefile(const fs::path& path, const filebytes& content) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(content.data()),
            static_cast<std::streamsize>(content.size()));
  if (!out) {
    ADD_FAILURE() << "cannot write " << path;
  }
}

void writetext(const fs::path& path, const std::string& text) {
  writefile(path, filebytes(text.begin(), text.end()));
}

filebytes readfile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return filebytes(std::istreambuf_iterator<char>(in),
                   std::istreambuf_iterator<char>());
}

std::string readtext(const fs::path& path) {
  const filebytes content = readfile(path);
  return std::string(content.begin(), content.end());
}

filebytes countingbytes(std::size_t count, unsigned char first) {
  filebytes result(count);
  for (std::size_t i = 0; i < count; ++i) {
    result[i] = static_cast<unsigned char>(first + i);
  }
  return result;
}
