#include "drive.h"

#include <algorithm>
#include <cstdio>

drive makedrive(d64image image, bool with1541) {
  drive unit;
  unit.entries = directory(image);
  if (with1541) unit.hardware = std::make_unique<drivehardware>(image);
  unit.image = std::move(image);
  return unit;
}

std::uint8_t* drivememorybyte(drive& unit, std::uint16_t address) {
  auto& ram = unit.hardware ? unit.hardware->bus.ram : unit.dosmemory;
  return &ram[address & 0x7FF];
}

// "M-W" lo hi n bytes, "M-R" lo hi [n], "M-E" lo hi.
void runcommand(drive& unit, const std::string& command,
                std::uint64_t drivecycle) {
  const auto byte = [&](std::size_t at) {
    return static_cast<std::uint8_t>(command[at]);
  };
  if (command.size() < 5 || command.compare(0, 2, "M-") != 0) return;
  const auto address = static_cast<std::uint16_t>(byte(3) | byte(4) << 8);
  const char what = command[2];
  unit.status = "00, OK,00,00\r";
  if (what == 'W' && command.size() >= 6 && command.size() >= 6u + byte(5)) {
    for (unsigned i = 0; i < byte(5); ++i) {
      *drivememorybyte(unit, static_cast<std::uint16_t>(address + i)) =
          byte(6 + i);
    }
  } else if (what == 'R') {
    const unsigned count = command.size() > 5 && byte(5) != 0 ? byte(5) : 1;
    unit.status.clear();
    for (unsigned i = 0; i < count; ++i) {
      const auto at = static_cast<std::uint16_t>(address + i);
      unit.status +=
          static_cast<char>(!drivememory::inrom(at) ? *drivememorybyte(unit, at)
                            : unit.hardware         ? romvalue(at)
                                                    : 0);
    }
  } else if (what == 'E' && unit.hardware) {
    drivecpu& processor = unit.hardware->processor;
    processor.push((dosreturn - 1) >> 8);
    processor.push((dosreturn - 1) & 0xFF);
    processor.pc = address;
    processor.p &= static_cast<std::uint8_t>(~interruptflag);  // the DOS's
    unit.hardware->bus.cycles = std::max(unit.hardware->bus.cycles, drivecycle);
    unit.coderunning = true;
  } else {
    unit.status = "31,SYNTAX ERROR,00,00\r";
  }
}

// How far the DOS reads the file: the bytes of the sectors before the
// first its chain has that the error table marks, that sector's read error
// as the status ("00, OK" and all bytes when there is none), and the track
// of the last sector it read. A chain longer than the disk is left to
// readchain to report.
struct readout {
  std::size_t bytes;
  std::string status;
  int lasttrack;
};
static readout readuntilerror(const d64image& image, const d64entry& entry) {
  std::size_t good = 0;
  int lasttrack = directorytrack;
  int track = entry.track, sector = entry.sector;
  for (int read = 0; track != 0 && read < sectorcount(image.tracks); ++read) {
    lasttrack = track;
    const std::uint8_t code =
        image.errors.empty() ? 0 : image.errors[sectorindex(track, sector)];
    if (code >= 2) {
      char status[32];
      std::snprintf(status, sizeof status, "%02d,READ ERROR,%02d,%02d\r",
                    code + 18, track, sector);
      return {good, status, lasttrack};
    }
    const std::uint8_t* data = sectorat(image, track, sector);
    good += sectorsize - 2;
    track = data[0];
    sector = data[1];
  }
  return {std::string::npos, "00, OK,00,00\r", lasttrack};
}

// The DOS reads the directory, then the file: its head rests where it
// read last.
static readout readfile(drive& unit, const d64entry* entry) {
  readout read = entry != nullptr
                     ? readuntilerror(unit.image, *entry)
                     : readout{0, "62,FILE NOT FOUND,00,00\r", directorytrack};
  if (unit.hardware) unit.hardware->rest(read.lasttrack);
  unit.status = read.status;
  return read;
}

std::optional<diskbytes> loadfile(drive& unit, const std::string& name) {
  const d64entry* entry = findfile(unit.entries, name);
  const readout read = readfile(unit, entry);
  if (entry == nullptr || read.bytes != std::string::npos) return std::nullopt;
  return readchain(unit.image, *entry);
}

void openchannel(drive& unit, int secondary, const std::string& name,
                 std::uint64_t drivecycle) {
  channel& opened = unit.channels[secondary & 15];
  opened = channel{};
  opened.open = true;
  if ((secondary & 15) == 15) {
    runcommand(unit, name, drivecycle);
    return;
  }
  const d64entry* entry = findfile(unit.entries, name);
  const readout read = readfile(unit, entry);
  if (entry == nullptr) return;
  // A read error ends the data without an end of file.
  opened.data = readchain(unit.image, *entry);
  if (read.bytes < opened.data.size()) {
    opened.data.resize(read.bytes);
    opened.failed = true;
  }
}

void closechannel(drive& unit, int secondary) {
  unit.channels[secondary & 15] = channel{};
}

drivebyte readchannel(drive& unit, int secondary) {
  if ((secondary & 15) == 15) {
    channel& command = unit.channels[15];
    command.data.assign(unit.status.begin(), unit.status.end());
    drivebyte byte{command.data[command.position], false, false};
    byte.last = ++command.position == command.data.size();
    if (byte.last) {
      command.position = 0;
      unit.status = "00, OK,00,00\r";
    }
    return byte;
  }
  channel& reading = unit.channels[secondary & 15];
  if (!reading.open || reading.position >= reading.data.size()) {
    return drivebyte{0x0D, true, true};
  }
  drivebyte byte{reading.data[reading.position++], false, false};
  byte.last = reading.position == reading.data.size() && !reading.failed;
  return byte;
}
