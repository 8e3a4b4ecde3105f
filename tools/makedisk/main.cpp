// Stand-in disk tool: "makedisk IMAGE LIST" builds a new D64 disk image at
// IMAGE from the disk list LIST, whose lines read "path name", through
// cc1541. The disk is named after the image's base name (tarv.d64 gives
// TARV); each file becomes a PRG named by its bare name less a final ".PRG"
// (BOOT, AA, BA, ...). The image is built under a temporary name beside it
// and renamed into place, so a failure leaves no half-written image.

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "nativepath.h"

namespace fs = std::filesystem;

struct diskfile {
  std::string path;  // as the list names it
  std::string name;  // on the disk
};

static std::string lowercase(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// cc1541 turns lower-case ASCII into the PETSCII capitals a C64 user types,
// so LOAD"AA",8 finds the file written as "aa".
static std::string petsciiname(const std::string& name) {
  std::string bare = lowercase(name);
  if (bare.size() > 4 && bare.compare(bare.size() - 4, 4, ".prg") == 0) {
    bare.resize(bare.size() - 4);
  }
  return bare;
}

static std::string quoted(const std::string& argument) {
#ifdef _WIN32
  return "\"" + argument + "\"";
#else
  std::string result = "'";
  for (const char c : argument) {
    result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return result + "'";
#endif
}

static int fail(const std::string& message) {
  std::cerr << "makedisk stand-in: " << message << "\n";
  return 1;
}

static bool readlist(const std::string& listpath, std::vector<diskfile>& files,
                     std::string& problem) {
  std::ifstream list(nativepath(listpath), std::ios::binary);
  if (!list || fs::is_directory(nativepath(listpath))) {
    problem = "cannot read the disk list " + listpath;
    return false;
  }
  std::string line;
  while (std::getline(list, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty()) {
      continue;
    }
    const std::size_t blank = line.rfind(' ');
    if (blank == std::string::npos || blank + 1 == line.size() || blank == 0) {
      problem = "no file name in the disk list line \"" + line + "\"";
      return false;
    }
    diskfile file{line.substr(0, blank), petsciiname(line.substr(blank + 1))};
    if (!fs::is_regular_file(nativepath(file.path))) {
      problem = "cannot find " + file.path;
      return false;
    }
    files.push_back(file);
  }
  return true;
}

static bool cc1541installed() {
#ifdef _WIN32
  return std::system("where cc1541 > NUL 2>&1") == 0;
#else
  return std::system("command -v cc1541 > /dev/null 2>&1") == 0;
#endif
}

static std::string cc1541command(const std::vector<diskfile>& files,
                                 const fs::path& image,
                                 const fs::path& temporary) {
  std::string command = "cc1541 -q -n " +
                        quoted(lowercase(image.stem().string())) + " -i " +
                        quoted("00 2a");
  for (const diskfile& file : files) {
    command += " -f " + quoted(file.name) + " -w " +
               quoted(nativepath(file.path).string());
  }
  command += " " + quoted(temporary.string());
#ifdef _WIN32
  return command + " > NUL";
#else
  return command + " > /dev/null";
#endif
}

int main(int argc, char** argv) {
  if (argc != 3) {
    return fail("usage: makedisk IMAGE LIST");
  }
  std::vector<diskfile> files;
  std::string problem;
  if (!readlist(argv[2], files, problem)) {
    return fail(problem);
  }
  if (!cc1541installed()) {
    return fail("cc1541 is not installed");
  }

  const fs::path image = nativepath(argv[1]);
  fs::path temporary = image;
  temporary += ".part";
  std::error_code error;
  fs::remove(temporary, error);
  const int status =
      std::system(cc1541command(files, image, temporary).c_str());
  if (status != 0 || !fs::exists(temporary)) {
    fs::remove(temporary, error);
    return fail("cc1541 could not build " + std::string(argv[1]));
  }
  fs::rename(temporary, image, error);
  if (error) {
    fs::remove(temporary, error);
    return fail("cannot write " + std::string(argv[1]));
  }
  return 0;
}
