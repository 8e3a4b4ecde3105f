#pragma once

// The 1541's hardware around its 6502: the disk turning under the head at
// 300 rpm, read through VIA 2 (port A the byte under the head; port B the
// stepper's phase in bits 0-1, the motor in 2, the LED in 3, write protect
// in 4, the density in 5-6 and SYNC in 7), with byte ready on the
// processor's SO pin (when VIA 2's CA2 enables it) and on VIA 2's CA1.
// Reading only: the head writes nothing.
//
// It starts as a stock 1541's DOS leaves it after power-on and a read: both
// VIAs set up as the DOS sets them, the motor on, the head resting on the
// track the DOS last read (rest) at that track's density, and the DOS's
// timer interrupt enabled. Drive code that runs with interrupts on takes
// the DOS's interrupt, which the model serves as the DOS does when no job
// is queued: it acknowledges the ATN and timer flags and returns.

#include <array>
#include <cstdint>
#include <vector>

#include "cpu.h"
#include "cyclescale.h"
#include "disksurface.h"
#include "drivememory.h"

class drivehardware {
 public:
  explicit drivehardware(const d64image& image);
  drivehardware(const drivehardware&) = delete;
  drivehardware& operator=(const drivehardware&) = delete;

  // Runs one instruction of the drive's processor, with the disk turning
  // meanwhile, or the DOS's interrupt handler when the processor enters it.
  // Raises a run error for other code in the ROM area, for an interrupt the
  // DOS would not acknowledge, and for the head switched to writing (VIA
  // 2's CB2 low).
  void step();

  // Where the DOS leaves the head after reading a sector of the track: on
  // it, at its density, with the DOS's record of it at $22 (a track off
  // with a stale record).
  void rest(int track);

  drivememory bus;
  drivecpu processor{bus};
  // The cycles the processor spent in the instructions at each address of
  // its RAM: where drive code spends its time.
  std::array<std::uint64_t, 0x800> cyclesat{};
  cyclescale scale;  // none unless asked for
  unsigned halftrack = 36;  // track 18, the directory's
  // Where the DOS keeps the track its head is on, which drive code may take
  // as a first guess of where the head is.
  static constexpr std::uint16_t dosheadtrack = 0x22;
  bool stalerecord = false;  // $22 a track off the head

 private:
  void movehead();
  void turn();
  void serveinterrupt();

  std::vector<gcrtrack> tracks;
  std::uint8_t phase = 0;        // the stepper's, as port B last drove it
  std::uint64_t nextbyte = 0;    // the cycle the next byte is under the head
  std::uint8_t lastbyte = 0x55;  // the one before it, for SYNC
};
