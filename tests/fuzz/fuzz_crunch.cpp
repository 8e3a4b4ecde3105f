#include <algorithm>

#include "crunch.h"
#include "fuzzcheck.h"
#include "referencedecruncher.h"

// Any program crunches to data that loads below it and decrunches in place,
// through the reference decruncher, to exactly the program. The first two
// input bytes give the load address.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t start = 0x0800 + (data[0] | data[1] << 8) % 0xF800;
  const std::size_t length = std::min<std::size_t>(size - 2, 0x10000 - start);
  bytes program(length + 2);
  program[0] = static_cast<std::uint8_t>(start);
  program[1] = static_cast<std::uint8_t>(start >> 8);
  std::copy(data + 2, data + 2 + length, program.begin() + 2);

  bytes crunched;
  try {
    crunched = crunchprogram(program);
  } catch (const cruncherror&) {
    check(start + length > residentfrom,
          "only what would reach the loader's page is refused");
    return 0;
  }
  const std::uint32_t load = crunched[0] | crunched[1] << 8;
  check(load < start && load >= lowestload,
        "the load address lies below the program");
  check(load >= residentto || start + length <= residentfrom,
        "nothing reaches into the loader's page");
  memoryimage memory{};
  std::copy(crunched.begin() + 2, crunched.end(), memory.begin() + load);
  const decrunched result = referencedecrunch(
      memory, load, load + static_cast<std::uint32_t>(crunched.size() - 2));
  check(result.problem.empty(), "decrunching reads nothing it has overwritten");
  check(result.first == start && result.end == start + length,
        "the program's range comes back");
  check(std::equal(program.begin() + 2, program.end(), memory.begin() + start),
        "the program's bytes come back");
  return 0;
}
