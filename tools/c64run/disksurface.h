#pragma once

// A D64 as a 1541 records it: each track a ring of GCR bytes, from the
// first sector's sync mark on, passing under the head at its speed zone's
// rate while the disk turns 300 times a minute. Each sector is a sync mark
// (five $FF bytes), a header block (ID $08, checksum, sector, track, the
// disk ID's two bytes, $0F, $0F), a gap of $55, a sync mark, a data block
// (ID $07, 256 bytes, checksum, two $00), and a gap that fills the track.
// An image that carries an error table gets the faults its codes name.
// Each track starts at its own angle, as formatting leaves it: where the
// head is on the track at cycle 0, derived from the disk's name and ID and
// the track, so that a run repeats exactly.

#include <cstdint>
#include <vector>

#include "d64.h"

struct gcrtrack {
  diskbytes bytes;
  unsigned cyclesperbyte;  // 26, 28, 30 or 32 at the drive's 1 MHz
  std::uint8_t zone;       // the density: 3 for tracks 1-17 down to 0
  std::size_t startbyte;   // the byte under the head at cycle 0
};

// The tracks of the image, track 1 first.
std::vector<gcrtrack> recordtracks(const d64image& image);

// Four bytes as the five the 4-to-5 code makes of them.
void gcrencode(const std::uint8_t* four, std::uint8_t* five);
