// Measures the bundled cruncher on the programs named on the command line:
// sizes against gzip -9 and raw xz -9e, the 6502 decruncher's speed in the
// C64 model, and the time to crunch. Prints a Markdown table.

#include <chrono>
#include <cstdio>
#include <string>

#include "crunch.h"
#include "roundtrip.h"

static std::size_t compressedsize(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  std::size_t size = 0;
  char buffer[4096];
  for (std::size_t got;
       pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    size += got;
  if (pipe) pclose(pipe);
  return size;
}

static double crunchseconds(const programbytes& program) {
  int runs = 0;
  const auto start = std::chrono::steady_clock::now();
  std::chrono::duration<double> spent{};
  while (runs < 3 || spent.count() < 0.2) {
    crunchprogram(program);
    ++runs;
    spent = std::chrono::steady_clock::now() - start;
  }
  return spent.count() / runs;
}

int main(int argc, char** argv) {
  const programbytes decruncher = readbinary(argv[1]);
  std::printf(
      "| program | input | crunched | gzip -9 | xz -9e raw | cycles/byte | "
      "crunch ms |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
  std::size_t input = 0, ours = 0, gzip = 0, xz = 0, written = 0;
  std::uint64_t cycles = 0;
  double seconds = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string path = argv[i];
    const programbytes program = readbinary(path);
    const roundtrip trip = crunchanddecrunch(program, decruncher);
    if (!trip.problem.empty()) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), trip.problem.c_str());
      return 1;
    }
    // gzip's framing (header and trailer) is 18 bytes; the name is not stored.
    const std::size_t gzipped =
        compressedsize("gzip -9 -n -c '" + path + "'") - 18;
    const std::size_t xzed =
        compressedsize("xz --format=raw -9e -c '" + path + "' 2>/dev/null");
    const double crunchtime = crunchseconds(program);
    const std::size_t bytes = program.size() - 2;
    std::printf("| %s | %zu | %zu | %zu | %zu | %.1f | %.1f |\n",
                path.substr(path.find_last_of('/') + 1).c_str(), program.size(),
                trip.crunched.size(), gzipped, xzed,
                static_cast<double>(trip.cycles) /
                    static_cast<double>(bytes ? bytes : 1),
                crunchtime * 1000);
    input += program.size();
    ours += trip.crunched.size();
    gzip += gzipped;
    xz += xzed;
    written += bytes;
    cycles += trip.cycles;
    seconds += crunchtime;
  }
  std::printf(
      "| **total** | %zu | %zu (%.1f%%) | %zu | %zu | %.1f | %.1f |\n", input,
      ours, 100.0 * static_cast<double>(ours) / static_cast<double>(input),
      gzip, xz, static_cast<double>(cycles) / static_cast<double>(written),
      seconds * 1000);
  std::printf(
      "\ncrunched: %+.1f%% against gzip -9, %+.1f%% against raw xz -9e\n",
      100.0 * (static_cast<double>(ours) / static_cast<double>(gzip) - 1),
      100.0 * (static_cast<double>(ours) / static_cast<double>(xz) - 1));
  return 0;
}
