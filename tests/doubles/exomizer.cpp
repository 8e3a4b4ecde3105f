// Test double of the cruncher. It appends its arguments to exomizer.log
// beside itself, one per line and "--" after each call, and then acts as
// exomizer.mode beside it says: "copy" (the default) writes the -o file as a
// copy of the source, "one" writes a single byte, "none" writes nothing.

#include <string>

#include "doubletools.h"

static std::string readword(const fs::path& path) {
  std::ifstream in(path);
  std::string word;
  in >> word;
  return word;
}

int main(int argc, char** argv) {
  const fs::path folder = logcall("exomizer.log", argc, argv);
  // Like the real cruncher, nothing is written without "-l auto -o OUT SRC".
  const std::string mode = readword(folder / "exomizer.mode");
  if (argc != 6 || mode == "none") {
    return 0;
  }
  std::ofstream out(nativepath(argv[4]), std::ios::binary);
  if (mode == "one") {
    out.put('\x01');
    return 0;
  }
  std::ifstream source(nativepath(argv[5]), std::ios::binary);
  out << source.rdbuf();
  return 0;
}
