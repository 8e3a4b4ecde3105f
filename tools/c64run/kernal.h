#pragma once

// C++ models of the KERNAL entry points a loader uses. Each keeps the side
// effects that programs read (the status byte $90, the file parameters
// $B7-$BC, the end address $AE/$AF, the carry flag and error number in A)
// and returns as the routine's RTS would.

#include <cstdint>
#include <vector>

#include "cpu.h"
#include "drive.h"
#include "memory.h"
#include "quirks.h"

struct logicalfile {
  std::uint8_t number = 0;
  std::uint8_t device = 0;
  std::uint8_t secondary = 0;
};

struct kernal {
  drive* disk = nullptr;  // drive 8, when a disk is in it
  std::vector<logicalfile> files;
  std::uint8_t inputsecondary = 0;   // the channel CHKIN chose on drive 8
  std::uint8_t outputsecondary = 0;  // and the one CHKOUT chose
  // Cycles spent waiting for the drive's bytes, kept apart so a run can say
  // how much of its time was loading.
  std::uint64_t drivecycles = 0;
  // What the last call still has to spend on the serial bus: the machine
  // spends it before the call returns, taking interrupts between bytes.
  std::uint64_t busy = 0;
  // Levels ATN takes while that time is spent (true: pulled), one at the
  // start of each byte's worth: what a call sends where drive code, not
  // the DOS, listens.
  std::vector<bool> atnsteps;
  // Where this KERNAL is not Commodore's: unlistenholdsclk and clallcloses.
  quirks differences;
};

// The KERNAL's state after power-on and autostart: default channels, the
// RAM vectors, the screen at $0400 with the cursor home.
void resetkernal(kernal& state, memory& machine);

// Runs the model of the entry point at the address and returns from it;
// false when the address is none of those modelled. Time on the serial bus
// is left in busy.
bool callkernal(kernal& state, cpu6502& processor, memory& machine,
                std::uint16_t address);

// The CIAs' ports as the KERNAL sets them at power-on: the keyboard's
// rows and columns, CIA 2's VIC bank and the serial bus's lines released.
void setupports(memory& machine);

// CIA 1's timer A interrupting every 16,422 cycles, as the PAL KERNAL
// sets it at power-on.
void startkernaltimer(memory& machine);

// Puts a file's program bytes (after its two-byte load address) into memory
// from the address on, as LOAD writes them (I/O takes what falls on it),
// and returns the address after the last byte.
std::uint16_t storeprogram(memory& machine, const diskbytes& file,
                           std::uint16_t address);

// The interrupt paths of the ROM, modelled as they behave: the IRQ and NMI
// entries that go on through the RAM vectors at $0314 and $0318, the
// KERNAL's own handlers and the tails that handlers jump to. False when the
// address is none of them.
bool runinterruptpath(cpu6502& processor, memory& machine,
                      std::uint16_t address);
