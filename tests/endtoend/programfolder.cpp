#include "programfolder.h"

#include <fstream>

#include "files.h"

void programfolder::SetUp() {
  fs::create_directories(program);
  fs::create_directories(work);
  // Copies, not links: partdisk finds its tools beside its own file. The
  // doubles lie beside this test, partdisk in the build's bin folder.
  const fs::path testbin = ::programdir();
  fs::copy_file(testbin / ".." / "bin" / PARTDISK_NAME,
                program / PARTDISK_NAME);
  fs::copy_file(testbin / "exomizer.exe", program / "exomizer.exe");
  fs::copy_file(testbin / "makedisk.exe", program / "makedisk.exe");
}

programrun programfolder::partdisk(
    const std::vector<std::string>& arguments) const {
  return runprogram(program / PARTDISK_NAME, arguments, work);
}

programrun programfolder::partdiskvia(
    const std::vector<std::string>& launcher,
    const std::vector<std::string>& arguments) const {
  std::vector<std::string> rest(launcher.begin() + 1, launcher.end());
  rest.push_back((program / PARTDISK_NAME).string());
  rest.insert(rest.end(), arguments.begin(), arguments.end());
  return runprogram(launcher.front(), rest, work);
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

std::string fulldisk() { return ::programdir() + "fulldisk"; }

std::string failureline(const std::string& message) {
#ifdef _WIN32
  return message + "\r\n";
#else
  return message + "\n";
#endif
}

filebytes headertext(std::size_t size) {
  filebytes text(size);
  for (std::size_t i = 0; i < size; ++i) {
    text[i] = static_cast<unsigned char>('!' + i % 90);
  }
  return text;
}
