#include "drivehardware.h"

#include <utility>

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
// What the DOS's interrupt handler takes with no job queued: a nominal
// figure, as for the KERNAL's.
constexpr std::uint64_t dosinterruptcycles = 200;

}  // namespace

// The VIAs as the DOS sets them at power-on (the values its reset and its
// disk controller's setup write, from the ROM listing in "The Anatomy of
// the 1541 Disk Drive"). VIA 1: DATA, CLK and ATNA outputs, all released,
// and an interrupt when ATN is pulled (CA1 on its rising edge). VIA 2: the
// stepper, motor, LED and density outputs; CA2 high, so that byte ready
// reaches SO, and CB2 high, reading; port A latched; timer 1 running free
// every $3A00 cycles with its interrupt enabled.
drivehardware::drivehardware(const d64image& image)
    : tracks(recordtracks(image)) {
  bus.via2.inputsb = static_cast<std::uint8_t>(~writeprotect);
  const std::pair<unsigned, std::uint8_t> via1setup[] = {
      {0x2, 0x1A}, {0x0, 0x00}, {0xC, 0x01}, {0xD, 0x7F}, {0xE, 0x82}};
  for (const auto& [reg, value] : via1setup) bus.via1.write(reg, value, 0);
  const std::pair<unsigned, std::uint8_t> via2setup[] = {
      {0x2, 0x6F}, {0x3, 0x00}, {0xC, 0xEE}, {0xB, 0x41}, {0x6, 0x00},
      {0x7, 0x3A}, {0x5, 0x3A}, {0xE, 0x7F}, {0xD, 0xC0}, {0xE, 0xC0}};
  for (const auto& [reg, value] : via2setup) bus.via2.write(reg, value, 0);
  rest(directorytrack);
}

// The motor stays on: the DOS turns it off a few seconds after its last
// job, but drive code that M-E starts comes sooner. The LED is off.
void drivehardware::rest(int track) {
  halftrack = static_cast<unsigned>(track) * 2;
  phase = halftrack & 3;
  const auto zone = tracks[static_cast<std::size_t>(track) - 1].zone;
  bus.via2.write(0x0, static_cast<std::uint8_t>(zone << 5 | motor | phase),
                 bus.cycles);
  const int record = !stalerecord ? track : track < 35 ? track + 1 : track - 1;
  bus.ram[dosheadtrack] = static_cast<std::uint8_t>(record);
}

// The DOS's handler with no job queued: it clears VIA 1's ATN flag by
// reading port A and VIA 2's timer flag by reading the counter, and
// returns; anything else still asking would bring it straight back.
void drivehardware::serveinterrupt() {
  bus.via1.read(0x1, bus.cycles);
  bus.via2.read(0x4, bus.cycles);
  if (bus.via1.interrupt() || bus.via2.interrupt()) {
    throw runerror("the drive took an interrupt its DOS does not acknowledge",
                   1);
  }
  bus.cycles += dosinterruptcycles;
  processor.returnfrominterrupt();
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
// mark (ten 1 bits or more), which holds SYNC low instead. SYNC goes high
// again with the first 0 bit after the mark, as the byte after it starts,
// so that byte is ready a byte's time after SYNC goes. Between tracks,
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
  const auto bytepassing = [&](std::uint64_t turned) -> std::uint8_t {
    if (under == nullptr) return 0x55;
    const std::uint8_t byte =
        under->bytes[(turned + under->startbyte) % under->bytes.size()];
    if (((pins & density) >> 5) == under->zone) return byte;
    return static_cast<std::uint8_t>((byte << 3 | byte >> 5) ^ 0x5A);
  };
  while (nextbyte <= bus.cycles) {
    const std::uint64_t turned = nextbyte / cycles;
    const std::uint8_t byte = bytepassing(turned);
    const bool insync = byte == 0xFF && lastbyte == 0xFF;
    const bool synclow = insync && bytepassing(turned + 1) == 0xFF;
    lastbyte = byte;
    bus.via2.inputsb = static_cast<std::uint8_t>((bus.via2.inputsb & ~sync) |
                                                 (synclow ? 0 : sync));
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
  if (processor.pc == dosinterrupt) {
    serveinterrupt();
  } else if (drivememory::inrom(processor.pc)) {
    throw runerror("the drive ran into ROM at $" + hex4(processor.pc), 1);
  } else {
    const std::uint16_t at = processor.pc;
    const std::uint64_t before = bus.cycles;
    processor.step();
    bus.cycles = before + scale.count(at, bus.cycles - before);
    cyclesat[at & 0x7FF] += bus.cycles - before;
  }
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
    processor.interrupt(0xFFFE);
  }
}
