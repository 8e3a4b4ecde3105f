#include "drive.h"

drive makedrive(d64image image) {
  drive unit;
  unit.entries = directory(image);
  unit.image = std::move(image);
  return unit;
}

std::optional<diskbytes> loadfile(drive& unit, const std::string& name) {
  const d64entry* entry = findfile(unit.entries, name);
  if (entry == nullptr) {
    unit.status = "62,FILE NOT FOUND,00,00\r";
    return std::nullopt;
  }
  unit.status = "00, OK,00,00\r";
  return readchain(unit.image, *entry);
}

void openchannel(drive& unit, int secondary, const std::string& name) {
  channel& opened = unit.channels[secondary & 15];
  opened = channel{};
  opened.open = true;
  if ((secondary & 15) == 15) {
    return;  // commands are taken and ignored: the disk is read-only
  }
  if (std::optional<diskbytes> content = loadfile(unit, name)) {
    opened.data = std::move(*content);
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
  byte.last = reading.position == reading.data.size();
  return byte;
}
