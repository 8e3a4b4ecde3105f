// Test double of the disk tool. It appends its arguments to makedisk.log
// beside itself, one per line and "--" after each call, keeps a copy of the
// disk list it is given as makedisk.list (partdisk deletes the original), and
// writes a small image file, unless makedisk.mode beside it says "none".

#include <string>

#include "doubletools.h"

int main(int argc, char** argv) {
  const fs::path folder = logcall("makedisk.log", argc, argv);
  if (argc != 3) {
    return 1;
  }
  {
    std::ifstream list(nativepath(argv[2]), std::ios::binary);
    std::ofstream copy(folder / "makedisk.list", std::ios::binary);
    copy << list.rdbuf();
  }
  if (readword(folder / "makedisk.mode") == "none") {
    return 0;
  }
  std::ofstream image(nativepath(argv[1]), std::ios::binary);
  image << "image";
  return 0;
}
