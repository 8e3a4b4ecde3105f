#include "files.h"

#include "failure.h"
#include "lines.h"
#include "platform.h"

bool isseparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '/' || c == '\\';
#endif
}

// A drive prefix such as C: ends the directory part on Windows as well.
static bool endsdirectorypart(char c) {
#ifdef _WIN32
  return c == '\\' || c == ':';
#else
  return isseparator(c);
#endif
}

std::string directorypart(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !endsdirectorypart(path[end - 1])) {
    --end;
  }
  return path.substr(0, end);
}

bool forcedirectories(const std::string& path) {
  if (path.empty()) {
    throw failure("Unable to create directory");
  }
  std::string directory = path;
  if (isseparator(directory.back())) {
    directory.pop_back();
  }
  const std::string parent = directorypart(directory);
  if (directory.empty() || directoryexists(directory) || parent == directory) {
    return true;
  }
  // An empty parent is the current directory, which exists.
  const bool parentready = parent.empty() || forcedirectories(parent);
  return parentready && createdirectory(directory);
}

void readexactly(const openfile& file, void* buffer, std::size_t count) {
  auto* next = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const std::size_t got = readsome(file, next, count);
    if (got == 0) {
      throw failure("Stream read error");
    }
    next += got;
    count -= got;
  }
}

void writeall(const openfile& file, const void* buffer, std::size_t count) {
  const auto* next = static_cast<const unsigned char*>(buffer);
  while (count > 0) {
    const std::size_t put = writesome(file, next, count);
    if (put == 0) {
      throw failure("Stream write error");
    }
    next += put;
    count -= put;
  }
}

void copybytes(const openfile& source, const openfile& destination,
               std::uint64_t count) {
  unsigned char buffer[65536];
  while (count > 0) {
    const std::size_t chunk =
        count < sizeof buffer ? static_cast<std::size_t>(count) : sizeof buffer;
    readexactly(source, buffer, chunk);
    writeall(destination, buffer, chunk);
    count -= chunk;
  }
}

bytes loadfile(const std::string& path) {
  const openfile file = openread(path);
  bytes content(static_cast<std::size_t>(filesize(file)));
  readexactly(file, content.data(), content.size());
  return content;
}

void savefile(const std::string& path, const bytes& content) {
  const openfile file = createwrite(path);
  writeall(file, content.data(), content.size());
}

lines loadlines(const std::string& path) {
  const bytes content = loadfile(path);
  return splitlines(std::string(content.begin(), content.end()));
}

void savelines(const std::string& path, const lines& list) {
  std::string text;
  for (const std::string& line : list) {
    text += line;
    text += "\r\n";
  }
  const openfile file = createwrite(path);
  writeall(file, text.data(), text.size());
}
