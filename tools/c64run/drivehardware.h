#pragma once

// The 1541's hardware around its 6502: the disk turning under the head at
// 300 rpm, read through VIA 2 (port A the byte under the head; port B the
// stepper's phase in bits 0-1, the motor in 2, the LED in 3, write protect
// in 4, the density in 5-6 and SYNC in 7), with byte ready on the
// processor's SO pin (when VIA 2's CA2 enables it) and on VIA 2's CA1.
// Reading only: the head writes nothing.

#include <cstdint>
#include <vector>

#include "cpu.h"
#include "disksurface.h"
#include "drivememory.h"

class drivehardware {
 public:
  explicit drivehardware(const d64image& image);
  drivehardware(const drivehardware&) = delete;
  drivehardware& operator=(const drivehardware&) = delete;

  // Runs one instruction of the drive's processor, with the disk turning
  // meanwhile. Raises a run error for code in the ROM area, for an
  // interrupt, which no ROM is there to take, and for the head switched to
  // writing (VIA 2's CB2 low).
  void step();

  drivememory bus;
  drivecpu processor{bus};
  unsigned halftrack = 36;  // track 18, where the DOS keeps the head
  // Where the DOS keeps the track its head is on, which drive code reads to
  // know where the head is; drive code that moves the head keeps it.
  static constexpr std::uint16_t dosheadtrack = 0x22;

 private:
  void movehead();
  void turn();

  std::vector<gcrtrack> tracks;
  std::uint8_t phase = 0;        // the stepper's, as port B last drove it
  std::uint64_t nextbyte = 0;    // the cycle the next byte is under the head
  std::uint8_t lastbyte = 0x55;  // the one before it, for SYNC
};
