// Stand-in disk tool: "makedisk IMAGE LIST" builds a new D64 disk image at
// IMAGE from the disk list LIST, whose lines read "path name". The disk is
// named after the image's base name (tarv.d64 gives TARV); each file
// becomes a PRG named by its bare name less a final ".PRG" (BOOT, AA, BA,
// ...). The image is written under a temporary name beside it and renamed
// into place, so a failure leaves no half-written image. Its failures are
// the image module's error, d64error.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "d64.h"
#include "nativepath.h"

namespace fs = std::filesystem;

static std::string diskname(const std::string& name) {
  std::string bare = petscii(name);
  if (bare.size() > 4 && bare.compare(bare.size() - 4, 4, ".PRG") == 0) {
    bare.resize(bare.size() - 4);
  }
  return bare;
}

static diskbytes readcontent(const std::string& path) {
  std::ifstream in(nativepath(path), std::ios::binary);
  if (!in || !fs::is_regular_file(nativepath(path))) {
    throw d64error("cannot find " + path);
  }
  return diskbytes((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
}

static std::vector<d64file> readlist(const std::string& listpath) {
  std::ifstream list(nativepath(listpath), std::ios::binary);
  if (!list || !fs::is_regular_file(nativepath(listpath))) {
    throw d64error("cannot read the disk list " + listpath);
  }
  std::vector<d64file> files;
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
      throw d64error("no file name in the disk list line \"" + line + "\"");
    }
    files.push_back(d64file{diskname(line.substr(blank + 1)),
                            readcontent(line.substr(0, blank))});
  }
  return files;
}

static void writeimage(const std::string& path, const d64image& image) {
  const fs::path target = nativepath(path);
  fs::path temporary = target;
  temporary += ".part";
  std::error_code error;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.bytes.data()),
              static_cast<std::streamsize>(image.bytes.size()));
    out.close();
    if (out) {
      fs::rename(temporary, target, error);
      if (!error) return;
    }
  }
  fs::remove(temporary, error);
  throw d64error("cannot write " + path);
}

int main(int argc, char** argv) {
  try {
    if (argc != 3) {
      throw d64error("usage: makedisk IMAGE LIST");
    }
    const std::string image = argv[1];
    const std::vector<d64file> files = readlist(argv[2]);
    const std::string name = petscii(nativepath(image).stem().string());
    writeimage(image, buildimage(name.substr(0, 16), "00", files));
    return 0;
  } catch (const d64error& error) {
    std::cerr << "makedisk: " << error.what() << "\n";
    return 1;
  }
}
