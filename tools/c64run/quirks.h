#pragma once

// Ways in which other C64s and drives differ from Commodore's ROMs in what
// no interface promises. The model takes them on when asked, so that a
// program that relies on Commodore's internals fails in it as it would on
// such a machine.

struct quirks {
  // The KERNAL's interrupt entries lie where its hardware vectors at $FFFE
  // and $FFFA say, not at $FF48 and $FE43, which are no entry points.
  bool interruptentries = false;
  // UNLISTEN leaves CLK held in $DD00.
  bool unlistenholdsclk = false;
  // CLALL sends a CLOSE over the bus for each file open on the drive.
  bool clallcloses = false;
  // The drive's record of its head's track ($22) is a track off where the
  // head is, as after a cartridge or loader that moved the head its own way.
  bool staletrack = false;
};
