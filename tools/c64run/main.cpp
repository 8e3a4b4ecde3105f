// c64run: a headless C64 that autostarts a D64 image (or runs a raw binary
// on an all-RAM 6502), then prints the screen and why the run stopped.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "d64.h"
#include "machine.h"
#include "nativepath.h"
#include "options.h"
#include "runerror.h"
#include "screen.h"

static void loadraw(machine& c64, const options& chosen) {
  std::ifstream in(nativepath(chosen.rawfile), std::ios::binary);
  if (!in) {
    throw runerror("cannot read " + chosen.rawfile, 2);
  }
  const diskbytes bytes((std::istreambuf_iterator<char>(in)),
                        std::istreambuf_iterator<char>());
  if (chosen.rawaddress + bytes.size() > 0x10000) {
    throw runerror(chosen.rawfile + " does not fit in memory from $" +
                       hex4(chosen.rawaddress),
                   2);
  }
  std::copy(bytes.begin(), bytes.end(),
            c64.bus.ram.begin() + chosen.rawaddress);
  c64.processor.pc = *chosen.start;
}

// What the run leaves in files: the dumps, the drive's profile (the cycles
// its processor spent at each address of its RAM, "ADDR CYCLES" a line)
// and the SID's log. A file that cannot be written fails the run, with its
// line on standard error.
static bool writeresults(const machine& c64, drive& disk,
                         const options& chosen) {
  bool written = true;
  const auto failed = [&](const std::string& path) {
    std::cerr << "c64run: cannot write " << path << "\n";
    written = false;
  };
  for (const memorydump& dump : chosen.dumps) {
    std::ofstream out(nativepath(dump.path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(c64.bus.ram.data() + dump.from),
              dump.to - dump.from + 1);
    if (!out) failed(dump.path);
  }
  for (const memorydump& dump : chosen.drivedumps) {
    std::ofstream out(nativepath(dump.path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(drivememorybyte(disk, dump.from)),
              dump.to - dump.from + 1);
    if (!out) failed(dump.path);
  }
  if (!chosen.driveprofile.empty()) {
    std::ofstream out(nativepath(chosen.driveprofile), std::ios::binary);
    const auto& cyclesat = disk.hardware->cyclesat;
    for (std::size_t address = 0; address < cyclesat.size(); ++address) {
      if (cyclesat[address] != 0) {
        out << hex4(static_cast<unsigned>(address)) << " " << cyclesat[address]
            << "\n";
      }
    }
    if (!out) failed(chosen.driveprofile);
  }
  if (!chosen.sidlog.empty()) {
    std::ofstream out(nativepath(chosen.sidlog), std::ios::binary);
    for (const sidwrite& write : c64.bus.chips.sidwrites) {
      out << write.cycle << " $" << hex4(0xD400 + write.reg) << " $"
          << hex2(write.value) << "\n";
    }
    if (!out) failed(chosen.sidlog);
  }
  return written;
}

static std::string stopline(const machine& c64, const std::string& why) {
  std::string line = "stop: " + why + ", pc $" + hex4(c64.processor.pc) + ", " +
                     std::to_string(c64.bus.cycles) + " cycles";
  if (c64.rom.disk != nullptr) {
    const tvsystem& system = c64.bus.system;
    const auto hertz = static_cast<double>(system.hertz);
    char seconds[128];
    std::snprintf(seconds, sizeof seconds,
                  " (%.2f s %s), %llu of them in drive reads (%.2f s)",
                  static_cast<double>(c64.bus.cycles) / hertz, system.name,
                  static_cast<unsigned long long>(c64.rom.drivecycles),
                  static_cast<double>(c64.rom.drivecycles) / hertz);
    line += seconds;
  }
  if (c64.rom.disk != nullptr && c64.rom.disk->hardware) {
    line += ", drive " + std::to_string(c64.rom.disk->hardware->bus.cycles) +
            " cycles";
  }
  return line;
}

int main(int argc, char** argv) {
  options chosen;
  std::unique_ptr<machine> c64;
  drive disk;
  try {
    chosen = parseoptions(std::vector<std::string>(argv + 1, argv + argc));
    c64 = std::make_unique<machine>(!chosen.rawfile.empty(),
                                    chosen.ntsc ? ntsc : pal);
    c64->bus.chips.shiftheld = chosen.holdshift;
    c64->scale = chosen.c64scale;
    if (chosen.rawfile.empty()) {
      disk = makedrive(readimage(chosen.image), chosen.with1541);
      takeon(*c64, disk, chosen.differences);
      if (disk.hardware) disk.hardware->scale = chosen.drivescale;
      autostart(*c64, disk);
    } else {
      loadraw(*c64, chosen);
    }
  } catch (const runerror& error) {
    std::cerr << "c64run: " << error.what() << "\n";
    if (!c64) std::cerr << usage << "\n";
    return error.status;
  } catch (const d64error& error) {
    std::cerr << "c64run: " << error.what() << "\n";
    return 2;
  }

  std::string why;
  int status = 1;
  try {
    const stopreason reason = run(*c64, chosen.limits);
    why = describe(reason);
    status = reason == stopreason::cyclelimit ? 1 : 0;
  } catch (const std::exception& error) {  // run errors and damaged disks
    why = std::string("error: ") + error.what();
  }
  if (!writeresults(*c64, disk, chosen)) {
    status = 2;
  }
  if (c64->rom.disk != nullptr) {
    std::cout << screentext(c64->bus);
  }
  std::cout << stopline(*c64, why) << "\n";
  return status;
}
