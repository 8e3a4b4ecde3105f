// Test double of the cruncher. It appends its arguments to exomizer.log
// beside itself, one per line and "--" after each call, and then acts as
// exomizer.mode beside it says: "copy" (the default) writes the -o file as a
// copy of the source, "slow" does so after a pause, "one" writes a single
// byte, "none" writes nothing and "abort" ends abnormally without writing.

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "doubletools.h"

int main(int argc, char** argv) {
  const fs::path folder = logcall("exomizer.log", argc, argv);
  const std::string mode = readword(folder / "exomizer.mode");
  if (mode == "abort") {
    std::abort();
  }
  // Like a real cruncher, nothing is written without "-l auto -o OUT SRC" or
  // when the source is no file; a pipe is not read, so nothing waits on it.
  if (argc != 6 || mode == "none" ||
      !fs::is_regular_file(nativepath(argv[5]))) {
    return 0;
  }
  std::ofstream out(nativepath(argv[4]), std::ios::binary);
  if (mode == "one") {
    out.put('\x01');
    return 0;
  }
  if (mode == "slow") {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  std::ifstream source(nativepath(argv[5]), std::ios::binary);
  out << source.rdbuf();
  return 0;
}
