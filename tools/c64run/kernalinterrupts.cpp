#include "kernal.h"

namespace {

constexpr std::uint16_t jiffyclock = 0xA0;  // $A0-$A2, high byte first
constexpr std::uint16_t stopkey = 0x91;
constexpr std::uint16_t irqvector = 0x0314, brkvector = 0x0316,
                        nmivector = 0x0318;

// What the ROM's paths take: the entries and tails are counted from their
// instructions; the KERNAL's own IRQ handler varies with the keyboard and
// the cursor and is charged what it takes when no key is down.
constexpr std::uint64_t irqentrycycles = 29;    // PHA ... JMP ($0314)
constexpr std::uint64_t nmientrycycles = 7;     // SEI, JMP ($0318)
constexpr std::uint64_t restorecycles = 22;     // PLA TAY PLA TAX PLA RTI
constexpr std::uint64_t acknowledgecycles = 4;  // LDA $DC0D
constexpr std::uint64_t irqhandlercycles = 250;
constexpr std::uint64_t nmihandlercycles = 60;

std::uint16_t vectorat(const memory& machine, std::uint16_t at) {
  return static_cast<std::uint16_t>(machine.ram[at] | machine.ram[at + 1] << 8);
}

// UDTIM: the jiffy clock counts sixtieths and goes back to 0 after 24
// hours; the STOP key's row is taken (no key is ever down).
void updatejiffies(memory& machine) {
  std::uint8_t* clock = &machine.ram[jiffyclock];
  if (++clock[2] == 0 && ++clock[1] == 0) ++clock[0];
  if (clock[0] == 0x4F && clock[1] == 0x1A && clock[2] == 0x01) {
    clock[0] = clock[1] = clock[2] = 0;
  }
  machine.ram[stopkey] = 0xFF;
}

void restoreandreturn(cpu6502& processor, memory& machine) {
  processor.y = processor.pull();
  processor.x = processor.pull();
  processor.a = processor.pull();
  processor.returnfrominterrupt();
  machine.cycles += restorecycles;
}

}  // namespace

bool runinterruptpath(cpu6502& processor, memory& machine,
                      std::uint16_t address) {
  if (address == machine.irqentry) {  // IRQ and BRK: save A, X and Y, then
                                      // tell them apart
    processor.push(processor.a);
    processor.push(processor.x);
    processor.push(processor.y);
    const std::uint8_t status =
        machine.ram[0x100 | static_cast<std::uint8_t>(processor.sp + 4)];
    processor.pc =
        vectorat(machine, (status & breakflag) ? brkvector : irqvector);
    machine.cycles += irqentrycycles;
    return true;
  }
  if (address == machine.nmientry) {
    processor.p |= interruptflag;
    processor.pc = vectorat(machine, nmivector);
    machine.cycles += nmientrycycles;
    return true;
  }
  switch (address) {
    case 0xEA31:  // the KERNAL's handler
      updatejiffies(machine);
      machine.cycles += irqhandlercycles;
      [[fallthrough]];
    case 0xEA7E:  // acknowledge CIA 1, then restore and return
      machine.read(0xDC0D);
      machine.cycles += acknowledgecycles;
      [[fallthrough]];
    case 0xEA81:
    case 0xFEBC:  // the end of the NMI handler: the same
      restoreandreturn(processor, machine);
      return true;
    case 0xFE47:  // the KERNAL's NMI handler: with RS-232 idle and RESTORE
                  // never pressed, it acknowledges CIA 2 and returns
      machine.read(0xDD0D);
      machine.cycles += nmihandlercycles;
      processor.returnfrominterrupt();
      return true;
    default:
      return false;
  }
}
