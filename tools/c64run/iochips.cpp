#include "iochips.h"

#include <algorithm>

iochips::iochips(const tvsystem& system)
    : video(system), cia1(system), cia2(system) {
  updatelines(0);
}

std::uint8_t iochips::read(std::uint16_t address, std::uint64_t now) {
  std::uint8_t value = 0xFF;  // the open bus of the expansion port
  if (address < 0xD400) {
    value = video.read(address, now);
  } else if (address < 0xD800) {
    value = 0;  // nothing is written back but the paddles and voice 3
  } else if (address < 0xDC00) {
    value = static_cast<std::uint8_t>(colours[address & 0x3FF] | 0xF0);
  } else if (address < 0xDD00) {
    cia1.inputsb = keyboardrows();
    value = cia1.read(address, now);
  } else if (address < 0xDE00) {
    value = cia2.read(address, now);
  }
  updatelines(now);  // reading a CIA's interrupt control acknowledges
  return value;
}

void iochips::write(std::uint16_t address, std::uint8_t value,
                    std::uint64_t now) {
  if (address < 0xD400) {
    video.write(address, value, now);
  } else if (address < 0xD800) {
    if ((address & 0x1F) <= 0x1C) {
      sidwrites.push_back(
          {now, static_cast<std::uint8_t>(address & 0x1F), value});
    }
  } else if (address < 0xDC00) {
    colours[address & 0x3FF] = value & 0x0F;
  } else if (address < 0xDD00) {
    cia1.write(address, value, now);
  } else if (address < 0xDE00) {
    cia2.write(address, value, now);
  }
  updatelines(now);
}

std::uint64_t iochips::service(std::uint64_t now) {
  std::uint64_t stolen = 0;
  while (nextevent <= now) {
    const std::uint64_t at = nextevent;
    if (video.nextevent() == at) {
      stolen += video.service();
    } else if (cia1.nextevent() == at) {
      cia1.service();
    } else {
      cia2.service();
    }
    updatelines(at);
  }
  return stolen;
}

// The keyboard's rows as CIA 1's port B sees them: the left SHIFT key, at
// column 1 and row 7, pulls row 7 low while port A drives column 1 low.
std::uint8_t iochips::keyboardrows() const {
  const bool column1 = !(cia1.pinsa() & 0x02);
  return shiftheld && column1 ? 0x7F : 0xFF;
}

void iochips::updatelines(std::uint64_t now) {
  const bool irqnow = video.interrupt() || cia1.interrupt();
  if (irqnow && !irq) irqsince = now;
  irq = irqnow;
  const bool nmi = cia2.interrupt();
  if (nmi && !nmiline) {
    nmipending = true;
    nmisince = now;
  }
  nmiline = nmi;
  nextevent = std::min({video.nextevent(), cia1.nextevent(), cia2.nextevent()});
}
