// The bundled cruncher: takes the command line partdisk gives the cruncher,
// "-l auto -o OUT SRC", and writes OUT as SRC crunched in the format of
// doc/crunch-format.md, loading at the address from which it decrunches in
// place, its pieces in the order a part file's blocks bring them.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "crunch.h"
#include "nativepath.h"

static bytes readprogram(const std::string& path) {
  std::ifstream in(nativepath(path), std::ios::binary);
  if (!in || !std::filesystem::is_regular_file(nativepath(path))) {
    throw cruncherror("cannot read " + path);
  }
  bytes program((std::istreambuf_iterator<char>(in)),
                std::istreambuf_iterator<char>());
  if (in.bad()) {
    throw cruncherror("cannot read " + path);
  }
  return program;
}

static void writecrunched(const std::string& path, const bytes& crunched) {
  std::ofstream out(nativepath(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(crunched.data()),
            static_cast<std::streamsize>(crunched.size()));
  out.close();
  if (!out) {
    std::error_code ignored;
    std::filesystem::remove(nativepath(path), ignored);
    throw cruncherror("cannot write " + path);
  }
}

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  try {
    if (arguments.size() != 5 || arguments[0] != "-l" ||
        arguments[1] != "auto" || arguments[2] != "-o") {
      throw cruncherror("usage: exomizer -l auto -o OUT SRC");
    }
    const bytes program = readprogram(arguments[4]);
    writecrunched(arguments[3], inpartorder(crunchprogram(program)));
    return 0;
  } catch (const cruncherror& error) {
    std::cerr << "exomizer: " << error.what() << "\n";
    return 1;
  }
}
