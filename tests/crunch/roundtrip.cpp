#include "roundtrip.h"

#include <fstream>
#include <iterator>
#include <random>

#include "crunch.h"
#include "machine.h"
#include "referencedecruncher.h"

namespace {

// Below the lowest load address, where no program reaches.
constexpr std::uint16_t decruncheraddress = 0x0200;
constexpr std::uint16_t driveraddress = 0x0300;

// Memory the decruncher may change besides the program and its data: the
// stack, its zero page and its own code, which keeps the copies' sources.
bool mayclobber(std::uint32_t address) {
  return (address >= 0x100 && address < 0x200) ||
         (address >= decruncheraddress &&
          address < decruncheraddress + 0x100u) ||
         (address >= 0xFB && address <= 0xFE) ||
         (address >= 0x59 && address <= 0x5B);
}

std::string checkmemory(const memoryimage& before, const memoryimage& after,
                        const programbytes& program, std::uint32_t load,
                        std::uint32_t dataend) {
  const std::uint32_t start = program[0] | program[1] << 8;
  const std::uint32_t end =
      start + static_cast<std::uint32_t>(program.size()) - 2;
  for (std::uint32_t address = 0; address < 0x10000; ++address) {
    if (address >= start && address < end) {
      if (after[address] != program[address - start + 2]) {
        return "the program differs at " + std::to_string(address);
      }
    } else if (after[address] != before[address] && !mayclobber(address) &&
               !(address >= load && address < dataend)) {
      return "wrote outside the program and its data at " +
             std::to_string(address);
    }
  }
  return "";
}

}  // namespace

programbytes readbinary(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return programbytes((std::istreambuf_iterator<char>(in)),
                      std::istreambuf_iterator<char>());
}

roundtrip crunchanddecrunch(const programbytes& program,
                            const programbytes& decruncher) {
  roundtrip result;
  result.crunched = crunchprogram(program);
  const std::uint32_t load = result.crunched[0] | result.crunched[1] << 8;
  const std::uint32_t start = program[0] | program[1] << 8;
  const auto dataend =
      static_cast<std::uint32_t>(load + result.crunched.size() - 2);
  if (load >= start) {
    result.problem = "the load address lies in the program";
    return result;
  }

  // Memory holds noise, so that a stray write shows.
  memoryimage initial;
  std::mt19937 noise(start);
  for (std::uint8_t& byte : initial) byte = static_cast<std::uint8_t>(noise());
  std::copy(result.crunched.begin() + 2, result.crunched.end(),
            initial.begin() + load);

  memoryimage reference = initial;
  const decrunched fromreference = referencedecrunch(reference, load, dataend);
  if (!fromreference.problem.empty()) {
    result.problem = "reference decruncher: " + fromreference.problem;
    return result;
  }
  result.problem = checkmemory(initial, reference, program, load, dataend);
  if (!result.problem.empty()) {
    result.problem = "reference decruncher: " + result.problem;
    return result;
  }

  machine c64(true);
  std::copy(initial.begin(), initial.end(), c64.bus.ram.begin());
  std::copy(decruncher.begin(), decruncher.end(),
            c64.bus.ram.begin() + decruncheraddress);
  const std::uint8_t driver[] = {0x20, 0x00, 0x02,
                                 0x4C, 0x03, 0x03};  // JSR $0200, JMP *
  std::copy(std::begin(driver), std::end(driver),
            c64.bus.ram.begin() + driveraddress);
  memoryimage before;
  std::copy(c64.bus.ram.begin(), c64.bus.ram.end(), before.begin());
  c64.processor.pc = driveraddress;
  c64.bus.ram[0xFB] =
      static_cast<std::uint8_t>(dataend - 1);  // the last crunched byte
  c64.bus.ram[0xFC] = static_cast<std::uint8_t>((dataend - 1) >> 8);
  c64.bus.ram[0xFD] = result.crunched[2];  // the program's last address
  c64.bus.ram[0xFE] = result.crunched[3];
  runlimits limits;
  limits.cycles = 200'000'000;
  if (run(c64, limits) != stopreason::jumpedtoitself ||
      c64.processor.pc != driveraddress + 3) {
    result.problem = "the 6502 decruncher did not return";
    return result;
  }
  result.cycles = c64.bus.cycles;
  memoryimage after;
  std::copy(c64.bus.ram.begin(), c64.bus.ram.end(), after.begin());
  result.problem = checkmemory(before, after, program, load, dataend);
  if (!result.problem.empty())
    result.problem = "6502 decruncher: " + result.problem;
  return result;
}
