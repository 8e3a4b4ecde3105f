// Stand-in cruncher: takes the command line partdisk gives the cruncher,
// "-l auto -o OUT SRC", and writes OUT as the source program stored without
// packing: its load address, then its program bytes.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "nativepath.h"

static int fail(const std::string& message) {
  std::cerr << "exomizer stand-in: " << message << "\n";
  return 1;
}

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() != 5 || arguments[0] != "-l" || arguments[1] != "auto" ||
      arguments[2] != "-o") {
    return fail("usage: exomizer -l auto -o OUT SRC");
  }
  const std::string output = arguments[3];
  const std::string source = arguments[4];

  std::ifstream in(nativepath(source), std::ios::binary);
  if (!in) {
    return fail("cannot read " + source);
  }
  const std::vector<char> program((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (program.size() < 2) {
    return fail(source + " has no load address");
  }

  std::ofstream out(nativepath(output), std::ios::binary);
  out.write(program.data(), static_cast<std::streamsize>(program.size()));
  out.close();
  if (!out) {
    std::error_code ignored;
    std::filesystem::remove(nativepath(output), ignored);
    return fail("cannot write " + output);
  }
  return 0;
}
