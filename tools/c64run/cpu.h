#pragma once

// An NMOS 6502: the 151 documented opcodes with their cycle counts,
// page-crossing and branch penalties, decimal mode and the chip's
// addressing quirks. It knows nothing of the machine around it but the bus
// it reads and writes and whose cycle count it advances: the C64's memory
// (its 6510's port lives there) or the 1541's.

#include <cstdint>

#include "drivememory.h"
#include "memory.h"

// Status register bits.
enum : std::uint8_t {
  carryflag = 0x01,
  zeroflag = 0x02,
  interruptflag = 0x04,
  decimalflag = 0x08,
  breakflag = 0x10,
  unusedflag = 0x20,
  overflowflag = 0x40,
  negativeflag = 0x80,
};

template <class bustype>
class core6502 {
 public:
  explicit core6502(bustype& bus) : bus(bus) {}

  // Runs one instruction and adds its cycles to the memory's count. An
  // undocumented opcode raises a run error naming it and its address.
  void step();

  // The interrupt sequence: the return address and the status (with B
  // clear) on the stack, I set, and on through the vector at the address
  // ($FFFE for IRQ, $FFFA for NMI) as memory is banked: 7 cycles.
  void interrupt(std::uint16_t vector);

  // Whether a pending IRQ waits: the flag is sampled before the last
  // instruction's final cycle, so CLI, SEI and PLP change it for IRQs only
  // one instruction later; RTI changes it at once.
  bool irqmasked() const {
    return changedflag ? (flagbefore & interruptflag) : (p & interruptflag);
  }

  void push(std::uint8_t value) { bus.write(0x100 | sp--, value); }
  std::uint8_t pull() { return bus.read(0x100 | ++sp); }
  // What RTS does: the address on the stack, plus one.
  void returnfromsubroutine();
  // What RTI does: the status, then the address.
  void returnfrominterrupt();

  std::uint16_t pc = 0;
  std::uint8_t a = 0, x = 0, y = 0, sp = 0xFF;
  std::uint8_t p = unusedflag | interruptflag;
  // Set by the last instruction when it was a jump or a taken branch to its
  // own address: a program's way of saying it is done.
  bool jumpedtoitself = false;

 private:
  std::uint16_t read16(std::uint16_t address) {
    return static_cast<std::uint16_t>(
        bus.read(address) | bus.read(static_cast<std::uint16_t>(address + 1))
                                << 8);
  }
  std::uint16_t fetch16() {
    const std::uint16_t value = read16(pc);
    pc = static_cast<std::uint16_t>(pc + 2);
    return value;
  }
  void setflag(std::uint8_t flag, bool on) {
    p = static_cast<std::uint8_t>(on ? p | flag : p & ~flag);
  }
  std::uint8_t setnz(std::uint8_t value) {
    setflag(zeroflag, value == 0);
    setflag(negativeflag, value & 0x80);
    return value;
  }
  std::uint16_t zeropagepointer(std::uint8_t at);
  std::uint16_t effectiveaddress(int mode, bool& crossed);
  void branch(bool taken, std::uint16_t start);
  void addwithcarry(std::uint8_t value);
  void subtractwithborrow(std::uint8_t value);
  void compare(std::uint8_t reg, std::uint8_t value);

  bustype& bus;
  bool changedflag = false;  // the last instruction was CLI, SEI or PLP
  std::uint8_t flagbefore = 0;
};

using cpu6502 = core6502<memory>;
using drivecpu = core6502<drivememory>;
