#pragma once

// Drive 8: the files of a D64 image as CBM DOS serves them, to LOAD and to
// channels opened with secondary addresses 2-14, and the command channel
// (15), which answers with the drive's status and takes M-W, M-R and M-E.
// A 1541 has its hardware beside the DOS, to run the code M-E starts; a
// device that only speaks CBM DOS answers M-E with an error. Read errors
// in a damaged image raise d64error.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "d64.h"
#include "drivehardware.h"
#include "tvsystem.h"

// A stock 1541 on the KERNAL's serial routines moves about 400 bytes a
// second; at the C64's 985,248 Hz that is about 2,500 cycles a byte.
constexpr std::uint64_t cyclesperbyte = 2500;

struct channel {
  diskbytes data;
  std::size_t position = 0;
  bool open = false;
  bool failed = false;  // a read error ends the data, not an end of file
};

// Where the RTS of drive code that M-E called lands: in the DOS (its idle
// loop in a 1541's ROM), which has the drive back.
constexpr std::uint16_t dosreturn = 0xEBE7;
// The ROM's reset, which drive code jumps to through $FFFC to hand the
// drive back: the DOS starts again.
constexpr std::uint16_t dosreset = 0xEAA0;

// The drive's 1 MHz clock, from the C64's.
inline std::uint64_t drivetime(std::uint64_t c64cycles,
                               const tvsystem& system) {
  return c64cycles * 1000000 / system.hertz;
}

struct drive {
  d64image image;
  std::vector<d64entry> entries;
  std::array<channel, 16> channels;
  std::string status = "00, OK,00,00\r";
  std::string command;  // sent to channel 15 since the last UNLISTEN
  // The 1541's hardware, or none for a device that only speaks CBM DOS,
  // whose memory M-W and M-R reach instead.
  std::unique_ptr<drivehardware> hardware;
  std::array<std::uint8_t, 0x800> dosmemory{};
  // While drive code runs it has the hardware, and the DOS is off the bus.
  bool coderunning = false;
};

drive makedrive(d64image image, bool with1541);

// Carries out a command the C64 sent to channel 15, at the drive's cycle:
// M-W, M-R and M-E; other commands are taken and ignored (the disk is
// read-only).
void runcommand(drive& unit, const std::string& command,
                std::uint64_t drivecycle);

// The drive's memory as M-W and M-R see it; its ROM area reads as a 1541's
// where loaders look (a device without the 1541's hardware answers 0
// there).
std::uint8_t* drivememorybyte(drive& unit, std::uint16_t address);

// The whole file (load address first) the name matches, or nothing; for a
// file with a sector the error table marks, nothing either, with the read
// error as the drive's status. A channel opened to such a file gives the
// bytes before that sector, then no more, without an end of file.
std::optional<diskbytes> loadfile(drive& unit, const std::string& name);

// Opens a channel; on channel 15 the name is a command, carried out at
// the drive's cycle.
void openchannel(drive& unit, int secondary, const std::string& name,
                 std::uint64_t drivecycle);
void closechannel(drive& unit, int secondary);

struct drivebyte {
  std::uint8_t value = 0x0D;
  bool last = false;    // the talker signalled end of file with it
  bool nodata = false;  // nothing to send: a missing file, or past the end
};
drivebyte readchannel(drive& unit, int secondary);
