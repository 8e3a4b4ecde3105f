#pragma once

// c64run's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cyclescale.h"
#include "machine.h"
#include "quirks.h"

struct memorydump {
  std::uint16_t from = 0;
  std::uint16_t to = 0;  // inclusive
  std::string path;
};

struct options {
  std::string image;    // a D64 to autostart, or
  std::string rawfile;  // a binary for an all-RAM machine
  std::uint16_t rawaddress = 0;
  std::optional<std::uint16_t> start;
  runlimits limits;
  std::vector<memorydump> dumps;
  std::vector<memorydump> drivedumps;  // of the drive's RAM
  std::string sidlog;                  // where the SID's writes go, if anywhere
  std::string driveprofile;  // where the drive's cycles by address go, if anywhere
  bool with1541 = true;    // or a drive that speaks CBM DOS and runs no code
  bool holdshift = false;  // the left SHIFT key down all the time
  bool ntsc = false;       // an NTSC C64, or a PAL one
  quirks differences;      // from Commodore's ROMs
  cyclescale c64scale;     // what faster routines would give, on the C64
  cyclescale drivescale;   // and in the drive
};

extern const char* const usage;

// Raises a run error with status 2 for anything it cannot take.
options parseoptions(const std::vector<std::string>& arguments);

// "0801", "$0801" or "0x0801".
std::uint16_t parseaddress(const std::string& text);
