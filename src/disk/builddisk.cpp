#include "builddisk.h"

#include <algorithm>

#include "failure.h"
#include "files.h"
#include "hextoint.h"
#include "makepart.h"
#include "process.h"
#include "splitstring.h"

// Where the boot program keeps the first letters of the part names; the
// letter after the last part is the end mark.
static constexpr std::size_t tableoffset = 616;
static constexpr std::uint8_t tableend = 0x80;
// Past Z the names stop being letters ("\A.PRG" would be a path).
static constexpr std::size_t mostparts = 26;

static std::size_t countparts(const lines& list) {
  std::vector<std::string> tokens;
  return static_cast<std::size_t>(
      std::count_if(list.begin(), list.end(), [&](const std::string& line) {
        return splitstring(line, " ", tokens) > 0;
      }));
}

static void checkroom(std::size_t parts, const bytes& boot,
                      const std::string& bootpath) {
  if (parts > mostparts) {
    throw failure("Too many parts: " + std::to_string(parts) + " (at most " +
                  std::to_string(mostparts) + ")");
  }
  if (boot.size() < tableoffset + parts + 1) {
    throw failure("No room for " + std::to_string(parts) + " parts in " +
                  bootpath);
  }
}

static void rundisktool(const std::string& outputdir,
                        const std::string& disklistpath) {
  deletefile(outputdir + "tarv.d64");
  runandwait("\"" + programdir() + "makedisk.exe\" \"" + outputdir +
             "tarv.d64\" \"" + disklistpath + "\"");
}

void builddisk(const std::string& listpath, const std::string& outputdir) {
  const std::string disklistpath = programdir() + "makedisktemp.txt";
  deletefile(programdir() + "exotemp.prg");
  deletefile(disklistpath);

  const lines partlist = loadlines(listpath);
  const std::string bootpath = programdir() + "boot.prg";
  bytes boot = loadfile(bootpath);
  checkroom(countparts(partlist), boot, bootpath);
  if (outputdir.empty()) {
    throw failure("Missing output directory");
  }
  const std::string directory =
      isseparator(outputdir.back()) ? outputdir : outputdir + "\\";
  forcedirectories(directory);

  std::string partname = "AA.PRG";
  std::size_t tableposition = tableoffset;
  lines disklist = {directory + "BOOT.PRG BOOT.PRG"};
  std::vector<std::string> tokens;
  for (const std::string& line : partlist) {
    if (splitstring(line, " ", tokens) == 0) {
      continue;
    }
    const std::uint32_t address = tokens.size() > 1 ? hextoint(tokens[1]) : 0;
    const std::string partpath = directory + partname;
    deletefile(partpath);
    makepart(tokens[0], partpath, address);
    if (!fileexists(partpath)) {
      throw failure("makepart failed...");
    }
    disklist.push_back(partpath + " " + partname);
    boot[tableposition++] = static_cast<std::uint8_t>(partname[0]);
    ++partname[0];
  }
  boot[tableposition] = tableend;

  savefile(directory + "BOOT.PRG", boot);
  savelines(disklistpath, disklist);
  rundisktool(directory, disklistpath);
  deletefile(disklistpath);
  // The disk tool's exit status says nothing reliable, but a build whose
  // whole purpose is the image must not end as a success without one.
  if (!fileexists(directory + "tarv.d64")) {
    throw failure("makedisk failed...");
  }
}
