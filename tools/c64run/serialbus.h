#pragma once

// The serial bus between the C64 and the 1541: ATN, CLK and DATA are
// open-collector lines, low while either side pulls them. The C64 pulls
// them through inverters from CIA 2's port A (bit 3 ATN, 4 CLK, 5 DATA)
// and reads CLK and DATA on bits 6 and 7. The 1541 pulls DATA and CLK from
// VIA 1's port B (bits 1 and 3) and reads them inverted on bits 0 and 2,
// and ATN inverted on bit 7 and on CA1; its device number jumpers (bits
// 5-6) are open, for drive 8. Its ATN acknowledge gate pulls DATA while
// ATN and the ATNA bit (4) disagree, so a drive that is there answers ATN.

#include "cia.h"
#include "via.h"

// Sets what each side reads from what both sides drive now.
void connectbus(cia& computer, via& drive);
