#include "cpu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runerror.h"

namespace {

// An all-RAM machine with the instruction bytes at $0200.
struct bench {
  explicit bench(const std::vector<std::uint8_t>& code) {
    std::copy(code.begin(), code.end(), bus.ram.begin() + 0x200);
    processor.pc = 0x200;
  }
  std::uint64_t step() {
    const std::uint64_t before = bus.cycles;
    processor.step();
    return bus.cycles - before;
  }
  memory bus{true};
  cpu6502 processor{bus};
};

// Cycles of every opcode as the 6502 data sheets give them, without page
// crossings or taken branches; 0 marks the undocumented ones.
constexpr int cycletable[256] = {
    7, 6, 0, 0, 0, 3, 5, 0, 3, 2, 2, 0, 0, 4, 6, 0,  // 0x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 1x
    6, 6, 0, 0, 3, 3, 5, 0, 4, 2, 2, 0, 4, 4, 6, 0,  // 2x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 3x
    6, 6, 0, 0, 0, 3, 5, 0, 3, 2, 2, 0, 3, 4, 6, 0,  // 4x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 5x
    6, 6, 0, 0, 0, 3, 5, 0, 4, 2, 2, 0, 5, 4, 6, 0,  // 6x
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // 7x
    0, 6, 0, 0, 3, 3, 3, 0, 2, 0, 2, 0, 4, 4, 4, 0,  // 8x
    2, 6, 0, 0, 4, 4, 4, 0, 2, 5, 2, 0, 0, 5, 0, 0,  // 9x
    2, 6, 2, 0, 3, 3, 3, 0, 2, 2, 2, 0, 4, 4, 4, 0,  // Ax
    2, 5, 0, 0, 4, 4, 4, 0, 2, 4, 2, 0, 4, 4, 4, 0,  // Bx
    2, 6, 0, 0, 3, 3, 5, 0, 2, 2, 2, 0, 4, 4, 6, 0,  // Cx
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // Dx
    2, 6, 0, 0, 3, 3, 5, 0, 2, 2, 2, 0, 4, 4, 6, 0,  // Ex
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0,  // Fx
};

TEST(cpu, EveryOpcodeTakesItsCyclesOrIsRefused) {
  int documented = 0;
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    // Operand $0310 (or $10 in page 0) and indexes 0, so no page is
    // crossed. A branch tests N, V, C or Z (bits 7-6 of its opcode) against
    // bit 5; the flag is set the other way, so it is not taken.
    bench machine({static_cast<std::uint8_t>(code), 0x10, 0x03});
    if ((code & 0x1F) == 0x10) {
      const std::uint8_t tested[] = {negativeflag, overflowflag, carryflag,
                                     zeroflag};
      machine.processor.p =
          (code & 0x20) ? unusedflag : unusedflag | tested[code >> 6];
    }
    if (cycletable[code] == 0) {
      EXPECT_THROW(machine.step(), runerror);
      EXPECT_EQ(machine.processor.pc, 0x200);
      continue;
    }
    ++documented;
    EXPECT_EQ(machine.step(), static_cast<std::uint64_t>(cycletable[code]));
  }
  EXPECT_EQ(documented, 151);
}

TEST(cpu, UndocumentedOpcodeErrorNamesOpcodeAndAddress) {
  bench machine({0xEA, 0x02});
  machine.step();
  try {
    machine.step();
    FAIL() << "no error";
  } catch (const runerror& error) {
    EXPECT_EQ(std::string(error.what()), "undocumented opcode $02 at $0201");
    EXPECT_EQ(error.status, 1);
  }
}

struct penaltycase {
  const char* name;
  std::vector<std::uint8_t> code;
  std::uint8_t x, y, p;
  std::uint64_t cycles;
};

class penalties : public ::testing::TestWithParam<penaltycase> {};

TEST_P(penalties, AddTheirCycles) {
  const penaltycase& c = GetParam();
  bench machine(c.code);
  machine.bus.ram[0x10] = 0xFF;  // ($10),Y points at $02FF
  machine.bus.ram[0x11] = 0x02;
  machine.processor.x = c.x;
  machine.processor.y = c.y;
  machine.processor.p = c.p;
  EXPECT_EQ(machine.step(), c.cycles);
}

INSTANTIATE_TEST_SUITE_P(
    cpu, penalties,
    ::testing::Values(
        penaltycase{"ldaabsx_same", {0xBD, 0x00, 0x03}, 0xFF, 0, unusedflag, 4},
        penaltycase{
            "ldaabsx_cross", {0xBD, 0x01, 0x03}, 0xFF, 0, unusedflag, 5},
        penaltycase{
            "ldaabsy_cross", {0xB9, 0x01, 0x03}, 0, 0xFF, unusedflag, 5},
        penaltycase{
            "ldxabsy_cross", {0xBE, 0x01, 0x03}, 0, 0xFF, unusedflag, 5},
        penaltycase{
            "ldyabsx_cross", {0xBC, 0x01, 0x03}, 0xFF, 0, unusedflag, 5},
        penaltycase{"ldaindy_cross", {0xB1, 0x10}, 0, 1, unusedflag, 6},
        penaltycase{"ldaindy_same", {0xB1, 0x10}, 0, 0, unusedflag, 5},
        penaltycase{
            "staabsx_cross", {0x9D, 0x01, 0x03}, 0xFF, 0, unusedflag, 5},
        penaltycase{"staindy_cross", {0x91, 0x10}, 0, 1, unusedflag, 6},
        penaltycase{
            "incabsx_cross", {0xFE, 0x01, 0x03}, 0xFF, 0, unusedflag, 7},
        penaltycase{"bne_taken", {0xD0, 0x10}, 0, 0, unusedflag, 3},
        penaltycase{"bne_taken_back_cross", {0xD0, 0x80}, 0, 0, unusedflag, 4},
        penaltycase{"beq_not_taken", {0xF0, 0x80}, 0, 0, unusedflag, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// One instruction from a given state, and the state it must leave.
struct state {
  std::uint8_t a, x, y, p;
};

struct resultcase {
  const char* name;
  std::vector<std::uint8_t> code;
  state before;
  state after;
};

class results : public ::testing::TestWithParam<resultcase> {};

TEST_P(results, LeaveRegistersAndFlags) {
  const resultcase& c = GetParam();
  bench machine(c.code);
  machine.bus.ram[0x10] = 0x40;
  machine.processor.a = c.before.a;
  machine.processor.x = c.before.x;
  machine.processor.y = c.before.y;
  machine.processor.p = static_cast<std::uint8_t>(c.before.p | unusedflag);
  machine.step();
  EXPECT_EQ(machine.processor.a, c.after.a);
  EXPECT_EQ(machine.processor.x, c.after.x);
  EXPECT_EQ(machine.processor.y, c.after.y);
  EXPECT_EQ(machine.processor.p, c.after.p | unusedflag);
}

constexpr std::uint8_t C = carryflag, Z = zeroflag, D = decimalflag,
                       V = overflowflag, N = negativeflag;

INSTANTIATE_TEST_SUITE_P(
    cpu, results,
    ::testing::Values(
        resultcase{
            "adc_carry_in", {0x69, 0x01}, {0x01, 0, 0, C}, {0x03, 0, 0, 0}},
        resultcase{
            "adc_overflow", {0x69, 0x50}, {0x50, 0, 0, 0}, {0xA0, 0, 0, N | V}},
        resultcase{"adc_carry_out",
                   {0x69, 0xD0},
                   {0x90, 0, 0, 0},
                   {0x60, 0, 0, C | V}},
        resultcase{
            "sbc_borrow", {0xE9, 0x01}, {0x00, 0, 0, C}, {0xFF, 0, 0, N}},
        resultcase{
            "sbc_overflow", {0xE9, 0x70}, {0xD0, 0, 0, C}, {0x60, 0, 0, C | V}},
        resultcase{
            "adc_decimal", {0x69, 0x27}, {0x15, 0, 0, D}, {0x42, 0, 0, D}},
        resultcase{"adc_decimal_wrap",
                   {0x69, 0x01},
                   {0x99, 0, 0, D},
                   {0x00, 0, 0, D | C | N}},
        resultcase{"adc_decimal_nv",
                   {0x69, 0x46},
                   {0x58, 0, 0, D},
                   {0x04, 0, 0, D | C | N | V}},
        resultcase{"adc_decimal_invalid",
                   {0x69, 0x00},
                   {0x0F, 0, 0, D},
                   {0x15, 0, 0, D}},
        resultcase{"sbc_decimal",
                   {0xE9, 0x15},
                   {0x42, 0, 0, D | C},
                   {0x27, 0, 0, D | C}},
        resultcase{"sbc_decimal_borrow",
                   {0xE9, 0x01},
                   {0x00, 0, 0, D | C},
                   {0x99, 0, 0, D | N}},
        resultcase{"sbc_decimal_carry_in",
                   {0xE9, 0x00},
                   {0x10, 0, 0, D},
                   {0x09, 0, 0, D | C}},
        resultcase{
            "cmp_equal", {0xC9, 0x40}, {0x40, 0, 0, 0}, {0x40, 0, 0, Z | C}},
        resultcase{"cmp_less", {0xC9, 0x41}, {0x40, 0, 0, C}, {0x40, 0, 0, N}},
        resultcase{
            "cpx_greater", {0xE0, 0x10}, {0, 0x20, 0, 0}, {0, 0x20, 0, C}},
        resultcase{"bit_copies_nv",
                   {0x24, 0x10},
                   {0x01, 0, 0, N | V},
                   {0x01, 0, 0, Z | V}},
        resultcase{"asl_a", {0x0A}, {0x81, 0, 0, 0}, {0x02, 0, 0, C}},
        resultcase{"lsr_a", {0x4A}, {0x01, 0, 0, N}, {0x00, 0, 0, Z | C}},
        resultcase{"rol_a", {0x2A}, {0x80, 0, 0, C}, {0x01, 0, 0, C}},
        resultcase{"ror_a", {0x6A}, {0x01, 0, 0, C}, {0x80, 0, 0, N | C}},
        resultcase{"dex_wraps", {0xCA}, {0, 0x00, 0, 0}, {0, 0xFF, 0, N}},
        resultcase{"iny_zero", {0xC8}, {0, 0, 0xFF, 0}, {0, 0, 0x00, Z}},
        resultcase{"tsx_flags", {0xBA}, {0, 0, 0, 0}, {0, 0xFF, 0, N}},
        resultcase{"txs_no_flags", {0x9A}, {0, 0x00, 0, 0}, {0, 0x00, 0, 0}},
        resultcase{
            "lda_zpx_wraps", {0xB5, 0x20}, {0, 0xF0, 0, 0}, {0x40, 0xF0, 0, 0}},
        resultcase{
            "ldx_zpy_wraps", {0xB6, 0x11}, {0, 0, 0xFF, 0}, {0, 0x40, 0xFF, 0}},
        resultcase{"clv", {0xB8}, {0, 0, 0, V | D}, {0, 0, 0, D}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(cpu, IndirectPointersWrapInPageZeroAndJmpStaysInItsPage) {
  bench machine({0xA1, 0xF0, 0xB1, 0xFF, 0x6C, 0xFF, 0x02});
  machine.bus.ram[0x02] = 0x34;  // ($F0,X) with X=$12 reads its pointer at $02
  machine.bus.ram[0x03] = 0x12;
  machine.bus.ram[0x102] = 0x99;
  machine.bus.ram[0x1234] = 0x77;
  machine.bus.ram[0xFF] = 0x30;  // ($FF),Y takes its high byte from $00
  machine.bus.ram[0x00] = 0x12;
  machine.bus.ram[0x1231] = 0x66;
  machine.bus.ram[0x02FF] = 0x00;  // JMP ($02FF) takes its high byte from $0200
  machine.bus.ram[0x0300] = 0x55;
  machine.processor.x = 0x12;
  machine.processor.y = 0x01;
  machine.step();
  EXPECT_EQ(machine.processor.a, 0x77);
  machine.step();
  EXPECT_EQ(machine.processor.a, 0x66);
  machine.step();
  EXPECT_EQ(machine.processor.pc, 0xA100);  // $0200 holds $A1, the first opcode
}

TEST(cpu, StackWrapsInPageOneAndPushesBreakFlag) {
  bench machine({0x48, 0x08, 0x68, 0x28, 0x00, 0xEA});
  machine.bus.ram[0xFFFE] = 0x00;
  machine.bus.ram[0xFFFF] = 0x40;
  machine.processor.sp = 0x00;
  machine.processor.a = 0xA5;
  machine.processor.p = unusedflag | carryflag;
  machine.step();  // PHA at SP $00: to $0100, SP wraps to $FF
  EXPECT_EQ(machine.bus.ram[0x100], 0xA5);
  EXPECT_EQ(machine.processor.sp, 0xFF);
  machine.step();  // PHP at $01FF pushes B and bit 5 set
  EXPECT_EQ(machine.bus.ram[0x1FF], unusedflag | breakflag | carryflag);
  machine.step();  // PLA from SP $FE reads $01FF
  EXPECT_EQ(machine.processor.a, unusedflag | breakflag | carryflag);
  machine.step();  // PLP from SP $FF wraps to $0100; B does not stick
  EXPECT_EQ(machine.processor.p, (0xA5 & ~breakflag) | unusedflag);
  machine.processor.sp = 0xFF;
  machine.processor.p = unusedflag;
  EXPECT_EQ(machine.step(), 7u);  // BRK
  EXPECT_EQ(machine.processor.pc, 0x4000);
  EXPECT_EQ(machine.bus.ram[0x1FF], 0x02);  // returns past the padding byte
  EXPECT_EQ(machine.bus.ram[0x1FE], 0x06);
  EXPECT_EQ(machine.bus.ram[0x1FD], unusedflag | breakflag);
  EXPECT_TRUE(machine.processor.p & interruptflag);
}

TEST(cpu, JsrAndRtsPassTheAddressMinusOne) {
  bench machine({0x20, 0x00, 0x30});
  machine.bus.ram[0x3000] = 0x60;
  machine.step();
  EXPECT_EQ(machine.processor.pc, 0x3000);
  EXPECT_EQ(machine.bus.ram[0x1FF], 0x02);
  EXPECT_EQ(machine.bus.ram[0x1FE], 0x02);
  machine.step();
  EXPECT_EQ(machine.processor.pc, 0x203);
}

TEST(cpu, JumpsAndBranchesToThemselvesAreSeen) {
  bench machine({0xEA, 0x4C, 0x01, 0x02});
  machine.step();
  EXPECT_FALSE(machine.processor.jumpedtoitself);
  machine.step();
  EXPECT_TRUE(machine.processor.jumpedtoitself);
  bench branch({0xD0, 0xFE});
  branch.step();
  EXPECT_TRUE(branch.processor.jumpedtoitself);
  EXPECT_EQ(branch.processor.pc, 0x200);
}

}  // namespace
