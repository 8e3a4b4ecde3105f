#pragma once

// The I/O area at $D000-$DFFF: the VIC-II, the SID (whose writes are
// recorded, for nothing is heard), the colour RAM and the two CIAs, and the
// processor's IRQ and NMI lines they drive.

#include <array>
#include <cstdint>
#include <vector>

#include "cia.h"
#include "vic.h"

struct sidwrite {
  std::uint64_t cycle;
  std::uint8_t reg;  // 0-$1C: $D400-$D41C
  std::uint8_t value;
};

class iochips {
 public:
  explicit iochips(const tvsystem& system);

  std::uint8_t read(std::uint16_t address, std::uint64_t now);
  void write(std::uint16_t address, std::uint8_t value, std::uint64_t now);

  // The earliest cycle at which a chip has something to do.
  std::uint64_t nextevent = 0;
  // Runs every event due by now. Returns the cycles the VIC-II took from
  // the processor meanwhile.
  std::uint64_t service(std::uint64_t now);

  // IRQ is a level: any chip may hold it. NMI is taken on its falling
  // edge only.
  bool irq = false;
  std::uint64_t irqsince = 0;
  bool nmipending = false;
  std::uint64_t nmisince = 0;
  void takenmi() { nmipending = false; }

  vic video;
  cia cia1, cia2;
  // The keyboard: nothing is typed, but the left SHIFT key may be held.
  bool shiftheld = false;
  std::vector<sidwrite> sidwrites;
  std::array<std::uint8_t, 0x400> colours{};

 private:
  void updatelines(std::uint64_t now);
  std::uint8_t keyboardrows() const;
  bool nmiline = false;
};
