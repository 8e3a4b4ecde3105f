#pragma once

// Drive 8: the files of a D64 image as CBM DOS serves them, to LOAD and to
// channels opened with secondary addresses 2-14 (15 is the command channel,
// which answers with the drive's status). Read errors in a damaged image
// raise d64error.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "d64.h"

// A stock 1541 on the KERNAL's serial routines moves about 400 bytes a
// second; at the C64's 985,248 Hz that is about 2,500 cycles a byte.
constexpr std::uint64_t cyclesperbyte = 2500;

struct channel {
  diskbytes data;
  std::size_t position = 0;
  bool open = false;
};

struct drive {
  d64image image;
  std::vector<d64entry> entries;
  std::array<channel, 16> channels;
  std::string status = "00, OK,00,00\r";
};

drive makedrive(d64image image);

// The whole file (load address first) the name matches, or nothing.
std::optional<diskbytes> loadfile(drive& unit, const std::string& name);

void openchannel(drive& unit, int secondary, const std::string& name);
void closechannel(drive& unit, int secondary);

struct drivebyte {
  std::uint8_t value = 0x0D;
  bool last = false;    // the talker signalled end of file with it
  bool nodata = false;  // nothing to send: a missing file, or past the end
};
drivebyte readchannel(drive& unit, int secondary);
