#include "drivehardware.h"

#include "runerror.h"

namespace {

enum : std::uint8_t {
  motor = 0x04,
  writeprotect = 0x10,  // reads 0: the disk is protected, as nothing writes
  density = 0x60,
  sync = 0x80  // reads 0 over a sync mark
};

// Half tracks 2 (track 1) to 84 (track 42) are where the head can go.
constexpr unsigned lowesthalftrack = 2, highesthalftrack = 84;
// The rate of an empty or wrongly read spot: that of the outer zone.
constexpr unsigned defaultcycles = 26;

}  // namespace

// VIA 1 as the DOS leaves it: DATA, CLK and ATNA outputs, all released.
drivehardware::drivehardware(const d64image& image)
    : tracks(recordtracks(image)) {
  bus.via2.inputsb = static_cast<std::uint8_t>(~writeprotect);
  bus.via1.write(0x2, 0x1A, 0);
  bus.ram[dosheadtrack] = static_cast<std::uint8_t>(halftrack / 2);
}

// The stepper moves the head half a track for each phase it is driven on
// to, up the disk for the next phase, down for the one before.
void drivehardware::movehead() {
  const std::uint8_t now = bus.via2.portb() & 3;
  if (now == ((phase + 1) & 3) && halftrack < highesthalftrack) ++halftrack;
  if (now == ((phase + 3) & 3) && halftrack > lowesthalftrack) --halftrack;
  phase = now;
}

// Brings the disk to the processor's cycle: each byte that comes under the
// head is latched on port A and signals byte ready, except inside a sync
// mark (ten 1 bits or more), which holds SYNC low instead. Between tracks,
// beyond the last or read at another zone's density, the head sees no
// sync and bytes that mean nothing.
void drivehardware::turn() {
  const std::uint8_t pins = bus.via2.portb();
  const std::size_t track = halftrack / 2 - 1;
  const bool ontrack = halftrack % 2 == 0 && track < tracks.size();
  const gcrtrack* under = ontrack ? &tracks[track] : nullptr;
  const unsigned cycles = under ? under->cyclesperbyte : defaultcycles;
  if (!(pins & motor)) {
    nextbyte = bus.cycles + cycles;
    return;
  }
  while (nextbyte <= bus.cycles) {
    const std::uint64_t turned = nextbyte / cycles;
    std::uint8_t byte = 0x55;
    if (under != nullptr) {
      byte = under->bytes[turned % under->bytes.size()];
      if (((pins & density) >> 5) != under->zone) {
        byte = static_cast<std::uint8_t>((byte << 3 | byte >> 5) ^ 0x5A);
      }
    }
    const bool insync = byte == 0xFF && lastbyte == 0xFF;
    lastbyte = byte;
    bus.via2.inputsb = static_cast<std::uint8_t>((bus.via2.inputsb & ~sync) |
                                                 (insync ? 0 : sync));
    if (!insync) {
      bus.via2.inputsa = byte;
      if ((bus.via2.peripheralcontrol() >> 1 & 7) == 7) {  // CA2 high: SO
        processor.p |= overflowflag;
      }
      bus.via2.ca1(false);
      bus.via2.ca1(true);
    }
    nextbyte = (turned + 1) * cycles;
  }
}

void drivehardware::step() {
  if (drivememory::inrom(processor.pc)) {
    throw runerror("the drive ran into ROM at $" + hex4(processor.pc), 1);
  }
  processor.step();
  for (via* chip : {&bus.via1, &bus.via2}) {
    while (chip->nextevent() <= bus.cycles) chip->service();
  }
  movehead();
  if ((bus.via2.peripheralcontrol() >> 5 & 7) == 6) {  // CB2 low: write
    throw runerror(
        "the drive switched its head to writing, which is not "
        "modelled",
        1);
  }
  turn();
  if ((bus.via1.interrupt() || bus.via2.interrupt()) &&
      !processor.irqmasked()) {
    throw runerror("the drive took an interrupt, which only its ROM handles",
                   1);
  }
}
