#include "programfolder.h"

#include <fstream>

void programfolder::SetUp() {
  fs::create_directories(program);
  fs::create_directories(work);
  // Copies, not links: partdisk finds its tools beside its own file.
  fs::copy_file(PARTDISK_PROGRAM,
                program / fs::path(PARTDISK_PROGRAM).filename());
  fs::copy_file(FAKE_EXOMIZER, program / "exomizer.exe");
  fs::copy_file(FAKE_MAKEDISK, program / "makedisk.exe");
}

programrun programfolder::partdisk(
    const std::vector<std::string>& arguments) const {
  return runprogram(program / fs::path(PARTDISK_PROGRAM).filename(), arguments,
                    work);
}

std::string programfolder::programdir() const {
  return (program / "").string();
}

std::vector<toolcall> programfolder::calls(const std::string& logname) const {
  std::ifstream log(program / logname, std::ios::binary);
  std::vector<toolcall> result(1);
  std::string line;
  while (std::getline(log, line)) {
    if (line == "--") {
      result.emplace_back();
    } else {
      result.back().push_back(line);
    }
  }
  result.pop_back();
  return result;
}

void programfolder::setcruncher(const std::string& mode) const {
  writetext(program / "exomizer.mode", mode);
}

void programfolder::writesource(const std::string& name,
                                const filebytes& content,
                                std::size_t headersize) const {
  writefile(work / name, content);
  const std::string header = name.substr(0, name.size() - 4) + ".txt";
  writefile(work / header, headertext(headersize));
}

filebytes headertext(std::size_t size) {
  filebytes text(size);
  for (std::size_t i = 0; i < size; ++i) {
    text[i] = static_cast<unsigned char>('!' + i % 90);
  }
  return text;
}
