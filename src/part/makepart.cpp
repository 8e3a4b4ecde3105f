#include "makepart.h"

#include "failure.h"
#include "files.h"
#include "process.h"

static constexpr std::size_t headersize = 120;

// intro.prg reads its header from intro.txt; whatever the last four
// characters are, they make way for ".txt".
static std::string headerpath(const std::string& source) {
  const std::size_t kept = source.size() > 4 ? source.size() - 4 : 0;
  return source.substr(0, kept) + ".txt";
}

static void writepart(const openfile& crunched, const bytes& header,
                      const std::string& output, std::uint32_t address) {
  const openfile part = createwrite(output);
  unsigned char addressbytes[2] = {static_cast<unsigned char>(address & 0xFF),
                                   static_cast<unsigned char>(address >> 8)};
  if (address == 0) {
    readexactly(crunched, addressbytes, 2);
    seekstart(crunched);
  }
  copybytes(crunched, part, 2);
  if (header.size() < headersize) {
    throw failure("Stream read error");
  }
  writeall(part, header.data(), headersize);
  writeall(part, addressbytes, 2);
  copybytes(crunched, part, filesize(crunched) - 2);
}

void makepart(const std::string& source, const std::string& output,
              std::uint32_t address) {
  const std::string crunchedpath = programdir() + "exotemp.prg";
  deletefile(crunchedpath);
  runandwait("\"" + programdir() + "exomizer.exe\" -l auto -o \"" +
             crunchedpath + "\" " + source);
  {
    const openfile crunched = openread(crunchedpath);
    const bytes header = loadfile(headerpath(source));
    writepart(crunched, header, output, address);
  }
  deletefile(crunchedpath);
}
