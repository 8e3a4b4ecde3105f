#include "cpu.h"

#include <array>

#include "runerror.h"

namespace {

enum mode : std::uint8_t {
  implied,
  accumulator,
  immediate,
  zeropage,
  zeropagex,
  zeropagey,
  absolute,
  absolutex,
  absolutey,
  indirect,
  indexedindirect,
  indirectindexed,
  relative
};

enum operation : std::uint8_t {
  undocumented,
  ADC,
  AND,
  ASL,
  BCC,
  BCS,
  BEQ,
  BIT,
  BMI,
  BNE,
  BPL,
  BRK,
  BVC,
  BVS,
  CLC,
  CLD,
  CLI,
  CLV,
  CMP,
  CPX,
  CPY,
  DEC,
  DEX,
  DEY,
  EOR,
  INC,
  INX,
  INY,
  JMP,
  JSR,
  LDA,
  LDX,
  LDY,
  LSR,
  NOP,
  ORA,
  PHA,
  PHP,
  PLA,
  PLP,
  ROL,
  ROR,
  RTI,
  RTS,
  SBC,
  SEC,
  SED,
  SEI,
  STA,
  STX,
  STY,
  TAX,
  TAY,
  TSX,
  TXA,
  TXS,
  TYA
};

struct opcode {
  operation op = undocumented;
  mode addressing = implied;
  std::uint8_t cycles = 0;
  bool pagepenalty = false;  // one more cycle when indexing crosses a page
};

using opcodetable = std::array<opcode, 256>;

constexpr void add(opcodetable& table, int code, operation op, mode m,
                   int cycles, bool penalty = false) {
  table[code] = opcode{op, m, static_cast<std::uint8_t>(cycles), penalty};
}

// Most of the instruction set falls into two families that share their
// addressing modes and timings, so those are laid out by pattern.
constexpr opcodetable makeopcodes() {
  opcodetable t{};
  const operation alu[] = {ORA, AND, EOR, ADC, STA, LDA, CMP, SBC};
  for (int i = 0; i < 8; ++i) {
    const int base = i * 0x20;
    const bool store = alu[i] == STA;
    add(t, base + 0x01, alu[i], indexedindirect, 6);
    add(t, base + 0x05, alu[i], zeropage, 3);
    if (!store) add(t, base + 0x09, alu[i], immediate, 2);
    add(t, base + 0x0D, alu[i], absolute, 4);
    add(t, base + 0x11, alu[i], indirectindexed, store ? 6 : 5, !store);
    add(t, base + 0x15, alu[i], zeropagex, 4);
    add(t, base + 0x19, alu[i], absolutey, store ? 5 : 4, !store);
    add(t, base + 0x1D, alu[i], absolutex, store ? 5 : 4, !store);
  }
  const operation readmodifywrite[] = {ASL, ROL, LSR, ROR, DEC, INC};
  const int rmwbase[] = {0x00, 0x20, 0x40, 0x60, 0xC0, 0xE0};
  for (int i = 0; i < 6; ++i) {
    const int base = rmwbase[i];
    if (i < 4) add(t, base + 0x0A, readmodifywrite[i], accumulator, 2);
    add(t, base + 0x06, readmodifywrite[i], zeropage, 5);
    add(t, base + 0x16, readmodifywrite[i], zeropagex, 6);
    add(t, base + 0x0E, readmodifywrite[i], absolute, 6);
    add(t, base + 0x1E, readmodifywrite[i], absolutex, 7);
  }
  const operation branches[] = {BPL, BMI, BVC, BVS, BCC, BCS, BNE, BEQ};
  for (int i = 0; i < 8; ++i) add(t, 0x10 + i * 0x20, branches[i], relative, 2);

  add(t, 0x24, BIT, zeropage, 3);
  add(t, 0x2C, BIT, absolute, 4);
  add(t, 0x4C, JMP, absolute, 3);
  add(t, 0x6C, JMP, indirect, 5);
  add(t, 0x20, JSR, absolute, 6);
  add(t, 0xE0, CPX, immediate, 2);
  add(t, 0xE4, CPX, zeropage, 3);
  add(t, 0xEC, CPX, absolute, 4);
  add(t, 0xC0, CPY, immediate, 2);
  add(t, 0xC4, CPY, zeropage, 3);
  add(t, 0xCC, CPY, absolute, 4);
  add(t, 0xA2, LDX, immediate, 2);
  add(t, 0xA6, LDX, zeropage, 3);
  add(t, 0xB6, LDX, zeropagey, 4);
  add(t, 0xAE, LDX, absolute, 4);
  add(t, 0xBE, LDX, absolutey, 4, true);
  add(t, 0xA0, LDY, immediate, 2);
  add(t, 0xA4, LDY, zeropage, 3);
  add(t, 0xB4, LDY, zeropagex, 4);
  add(t, 0xAC, LDY, absolute, 4);
  add(t, 0xBC, LDY, absolutex, 4, true);
  add(t, 0x86, STX, zeropage, 3);
  add(t, 0x96, STX, zeropagey, 4);
  add(t, 0x8E, STX, absolute, 4);
  add(t, 0x84, STY, zeropage, 3);
  add(t, 0x94, STY, zeropagex, 4);
  add(t, 0x8C, STY, absolute, 4);

  const std::pair<int, operation> singles[] = {
      {0x18, CLC}, {0xD8, CLD}, {0x58, CLI}, {0xB8, CLV}, {0x38, SEC},
      {0xF8, SED}, {0x78, SEI}, {0xCA, DEX}, {0x88, DEY}, {0xE8, INX},
      {0xC8, INY}, {0xEA, NOP}, {0xAA, TAX}, {0xA8, TAY}, {0xBA, TSX},
      {0x8A, TXA}, {0x9A, TXS}, {0x98, TYA}};
  for (const auto& single : singles)
    add(t, single.first, single.second, implied, 2);
  add(t, 0x48, PHA, implied, 3);
  add(t, 0x08, PHP, implied, 3);
  add(t, 0x68, PLA, implied, 4);
  add(t, 0x28, PLP, implied, 4);
  add(t, 0x40, RTI, implied, 6);
  add(t, 0x60, RTS, implied, 6);
  add(t, 0x00, BRK, implied, 7);
  return t;
}

constexpr opcodetable opcodes = makeopcodes();

bool pagediffers(std::uint16_t from, std::uint16_t to) {
  return (from ^ to) & 0xFF00;
}

}  // namespace

// A pointer in page 0 takes its high byte from page 0 too: ($FF) reads
// $FF and $00.
template <class bustype>
std::uint16_t core6502<bustype>::zeropagepointer(std::uint8_t at) {
  const std::uint8_t high = bus.read(static_cast<std::uint8_t>(at + 1));
  return static_cast<std::uint16_t>(bus.read(at) | high << 8);
}

template <class bustype>
std::uint16_t core6502<bustype>::effectiveaddress(int addressing,
                                                  bool& crossed) {
  switch (addressing) {
    case immediate:
      return pc++;
    case zeropage:
      return bus.read(pc++);
    // Indexing in page 0 wraps inside page 0.
    case zeropagex:
      return static_cast<std::uint8_t>(bus.read(pc++) + x);
    case zeropagey:
      return static_cast<std::uint8_t>(bus.read(pc++) + y);
    case absolute:
      return fetch16();
    case absolutex:
    case absolutey: {
      const std::uint16_t base = fetch16();
      const auto address =
          static_cast<std::uint16_t>(base + (addressing == absolutex ? x : y));
      crossed = pagediffers(base, address);
      return address;
    }
    case indexedindirect:
      return zeropagepointer(static_cast<std::uint8_t>(bus.read(pc++) + x));
    case indirectindexed: {
      const std::uint16_t base = zeropagepointer(bus.read(pc++));
      const auto address = static_cast<std::uint16_t>(base + y);
      crossed = pagediffers(base, address);
      return address;
    }
    case indirect: {
      // The high byte comes from the same page: JMP ($12FF) reads $1200.
      const std::uint16_t pointer = fetch16();
      const auto highat = static_cast<std::uint16_t>((pointer & 0xFF00) |
                                                     ((pointer + 1) & 0xFF));
      const std::uint8_t high = bus.read(highat);
      return static_cast<std::uint16_t>(bus.read(pointer) | high << 8);
    }
    default:
      return 0;
  }
}

template <class bustype>
void core6502<bustype>::branch(bool taken, std::uint16_t start) {
  const auto offset = static_cast<std::int8_t>(bus.read(pc++));
  if (!taken) {
    return;
  }
  const auto target = static_cast<std::uint16_t>(pc + offset);
  bus.cycles += pagediffers(pc, target) ? 2 : 1;
  jumpedtoitself = target == start;
  pc = target;
}

// In decimal mode the NMOS chip takes Z from the binary sum and N and V
// from the sum after only the low digit is adjusted.
template <class bustype>
void core6502<bustype>::addwithcarry(std::uint8_t value) {
  const int carry = p & carryflag;
  const int binary = a + value + carry;
  if (!(p & decimalflag)) {
    setflag(carryflag, binary > 0xFF);
    setflag(overflowflag, ~(a ^ value) & (a ^ binary) & 0x80);
    a = setnz(static_cast<std::uint8_t>(binary));
    return;
  }
  int low = (a & 0x0F) + (value & 0x0F) + carry;
  if (low > 9) low = ((low + 6) & 0x0F) + 0x10;
  int sum = (a & 0xF0) + (value & 0xF0) + low;
  setflag(zeroflag, (binary & 0xFF) == 0);
  setflag(negativeflag, sum & 0x80);
  setflag(overflowflag, ~(a ^ value) & (a ^ sum) & 0x80);
  if (sum > 0x9F) sum += 0x60;
  setflag(carryflag, sum > 0xFF);
  a = static_cast<std::uint8_t>(sum);
}

// The NMOS chip sets every flag of a decimal subtraction from the binary
// result; only A is adjusted.
template <class bustype>
void core6502<bustype>::subtractwithborrow(std::uint8_t value) {
  const int borrow = ~p & carryflag;
  const int binary = a - value - borrow;
  setflag(overflowflag, (a ^ value) & (a ^ binary) & 0x80);
  setflag(carryflag, binary >= 0);
  std::uint8_t result = static_cast<std::uint8_t>(binary);
  if (p & decimalflag) {
    int low = (a & 0x0F) - (value & 0x0F) - borrow;
    if (low < 0) low = ((low - 6) & 0x0F) - 0x10;
    int difference = (a & 0xF0) - (value & 0xF0) + low;
    if (difference < 0) difference -= 0x60;
    result = static_cast<std::uint8_t>(difference);
  }
  setnz(static_cast<std::uint8_t>(binary));
  a = result;
}

template <class bustype>
void core6502<bustype>::compare(std::uint8_t reg, std::uint8_t value) {
  setflag(carryflag, reg >= value);
  setnz(static_cast<std::uint8_t>(reg - value));
}

template <class bustype>
void core6502<bustype>::returnfromsubroutine() {
  const std::uint8_t low = pull();
  pc = static_cast<std::uint16_t>((low | pull() << 8) + 1);
}

template <class bustype>
void core6502<bustype>::returnfrominterrupt() {
  p = static_cast<std::uint8_t>((pull() & ~breakflag) | unusedflag);
  const std::uint8_t low = pull();
  pc = static_cast<std::uint16_t>(low | pull() << 8);
}

template <class bustype>
void core6502<bustype>::interrupt(std::uint16_t vector) {
  push(static_cast<std::uint8_t>(pc >> 8));
  push(static_cast<std::uint8_t>(pc));
  push(static_cast<std::uint8_t>((p & ~breakflag) | unusedflag));
  p |= interruptflag;
  pc = read16(vector);
  bus.cycles += 7;
  changedflag = false;
}

template <class bustype>
void core6502<bustype>::step() {
  const std::uint16_t start = pc;
  const std::uint8_t code = bus.read(pc++);
  const opcode& op = opcodes[code];
  if (op.op == undocumented) {
    pc = start;
    throw runerror("undocumented opcode $" + hex2(code) + " at $" + hex4(start),
                   1);
  }
  bool crossed = false;
  const std::uint16_t address = effectiveaddress(op.addressing, crossed);
  bus.cycles += op.cycles + (op.pagepenalty && crossed);
  jumpedtoitself = false;
  changedflag = false;

  // Shifts and rotates work on A or on memory alike.
  const auto operand = [&] {
    return op.addressing == accumulator ? a : bus.read(address);
  };
  // Read-modify-write instructions write the unchanged value first, and
  // the chips see both writes: INC $D019 acknowledges what it read.
  const auto store = [&](std::uint8_t before, std::uint8_t value) {
    setnz(value);
    if (op.addressing == accumulator) {
      a = value;
    } else {
      bus.write(address, before);
      bus.write(address, value);
    }
  };

  switch (op.op) {
    case ADC:
      addwithcarry(bus.read(address));
      break;
    case SBC:
      subtractwithborrow(bus.read(address));
      break;
    case AND:
      a = setnz(a & bus.read(address));
      break;
    case ORA:
      a = setnz(a | bus.read(address));
      break;
    case EOR:
      a = setnz(a ^ bus.read(address));
      break;
    case CMP:
      compare(a, bus.read(address));
      break;
    case CPX:
      compare(x, bus.read(address));
      break;
    case CPY:
      compare(y, bus.read(address));
      break;
    case BIT: {
      const std::uint8_t value = bus.read(address);
      setflag(zeroflag, (a & value) == 0);
      p = static_cast<std::uint8_t>((p & 0x3F) | (value & 0xC0));
      break;
    }
    case LDA:
      a = setnz(bus.read(address));
      break;
    case LDX:
      x = setnz(bus.read(address));
      break;
    case LDY:
      y = setnz(bus.read(address));
      break;
    case STA:
      bus.write(address, a);
      break;
    case STX:
      bus.write(address, x);
      break;
    case STY:
      bus.write(address, y);
      break;
    case ASL: {
      const std::uint8_t value = operand();
      setflag(carryflag, value & 0x80);
      store(value, static_cast<std::uint8_t>(value << 1));
      break;
    }
    case LSR: {
      const std::uint8_t value = operand();
      setflag(carryflag, value & 1);
      store(value, static_cast<std::uint8_t>(value >> 1));
      break;
    }
    case ROL: {
      const std::uint8_t value = operand();
      const int carry = p & carryflag;
      setflag(carryflag, value & 0x80);
      store(value, static_cast<std::uint8_t>(value << 1 | carry));
      break;
    }
    case ROR: {
      const std::uint8_t value = operand();
      const int carry = p & carryflag;
      setflag(carryflag, value & 1);
      store(value, static_cast<std::uint8_t>(value >> 1 | carry << 7));
      break;
    }
    case INC: {
      const std::uint8_t value = bus.read(address);
      store(value, static_cast<std::uint8_t>(value + 1));
      break;
    }
    case DEC: {
      const std::uint8_t value = bus.read(address);
      store(value, static_cast<std::uint8_t>(value - 1));
      break;
    }
    case INX:
      x = setnz(static_cast<std::uint8_t>(x + 1));
      break;
    case INY:
      y = setnz(static_cast<std::uint8_t>(y + 1));
      break;
    case DEX:
      x = setnz(static_cast<std::uint8_t>(x - 1));
      break;
    case DEY:
      y = setnz(static_cast<std::uint8_t>(y - 1));
      break;
    case TAX:
      x = setnz(a);
      break;
    case TAY:
      y = setnz(a);
      break;
    case TXA:
      a = setnz(x);
      break;
    case TYA:
      a = setnz(y);
      break;
    case TSX:
      x = setnz(sp);
      break;
    case TXS:
      sp = x;
      break;
    case PHA:
      push(a);
      break;
    case PHP:
      push(p | breakflag | unusedflag);
      break;
    case PLA:
      a = setnz(pull());
      break;
    case PLP:
      changedflag = true;
      flagbefore = p;
      p = static_cast<std::uint8_t>((pull() & ~breakflag) | unusedflag);
      break;
    case BPL:
      branch(!(p & negativeflag), start);
      break;
    case BMI:
      branch(p & negativeflag, start);
      break;
    case BVC:
      branch(!(p & overflowflag), start);
      break;
    case BVS:
      branch(p & overflowflag, start);
      break;
    case BCC:
      branch(!(p & carryflag), start);
      break;
    case BCS:
      branch(p & carryflag, start);
      break;
    case BNE:
      branch(!(p & zeroflag), start);
      break;
    case BEQ:
      branch(p & zeroflag, start);
      break;
    case JMP:
      jumpedtoitself = address == start;
      pc = address;
      break;
    case JSR: {
      const auto last = static_cast<std::uint16_t>(pc - 1);
      push(static_cast<std::uint8_t>(last >> 8));
      push(static_cast<std::uint8_t>(last));
      pc = address;
      break;
    }
    case RTS:
      returnfromsubroutine();
      break;
    case RTI:
      returnfrominterrupt();
      break;
    case BRK: {
      // BRK skips a padding byte, like a two-byte instruction.
      const auto resume = static_cast<std::uint16_t>(pc + 1);
      push(static_cast<std::uint8_t>(resume >> 8));
      push(static_cast<std::uint8_t>(resume));
      push(p | breakflag | unusedflag);
      p |= interruptflag;
      pc = read16(0xFFFE);
      break;
    }
    case CLC:
      p &= ~carryflag;
      break;
    case CLD:
      p &= ~decimalflag;
      break;
    case CLI:
      changedflag = true;
      flagbefore = p;
      p &= ~interruptflag;
      break;
    case CLV:
      p &= ~overflowflag;
      break;
    case SEC:
      p |= carryflag;
      break;
    case SED:
      p |= decimalflag;
      break;
    case SEI:
      changedflag = true;
      flagbefore = p;
      p |= interruptflag;
      break;
    case NOP:
      break;
    case undocumented:
      break;
  }
}

template class core6502<memory>;
template class core6502<drivememory>;
