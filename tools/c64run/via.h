#pragma once

// A 6522 VIA, as the 1541 has two: ports A and B with their data direction
// registers, timer 1 (one-shot or free-running, with its latches), timer 2
// (one-shot), the CA1 and CB1 edge inputs, and the interrupt flag and
// enable registers that drive the IRQ line. The shift register, the CA2
// and CB2 handshakes and timer 2's pulse counting are left out.

#include <cstdint>

class via {
 public:
  via();

  std::uint8_t read(unsigned reg, std::uint64_t now);
  void write(unsigned reg, std::uint8_t value, std::uint64_t now);

  // The cycle at which a timer next runs out.
  std::uint64_t nextevent() const { return timer1 < timer2 ? timer1 : timer2; }
  // Runs the next timeout.
  void service();
  bool interrupt() const { return (flags & enabled & 0x7F) != 0; }
  std::uint8_t peripheralcontrol() const { return peripheral; }

  // The levels on the CA1 and CB1 pins; a change in the direction the
  // peripheral control register selects sets the flag.
  void ca1(bool level);
  void cb1(bool level);

  // What the outside drives on the ports' pins that are inputs, and what
  // the chip drives on those that are outputs.
  std::uint8_t inputsa = 0xFF, inputsb = 0xFF;
  std::uint8_t porta() const { return pins(0, inputsa); }
  std::uint8_t portb() const { return pins(1, inputsb); }

 private:
  std::uint8_t pins(int port, std::uint8_t inputs) const {
    return static_cast<std::uint8_t>((outputs[port] & directions[port]) |
                                     (inputs & ~directions[port]));
  }
  std::uint16_t counter1(std::uint64_t now) const;
  std::uint16_t counter2(std::uint64_t now) const;

  std::uint8_t outputs[2] = {0, 0}, directions[2] = {0, 0};
  std::uint16_t latch1 = 0xFFFF;
  std::uint8_t latch2low = 0xFF;
  std::uint8_t auxiliary = 0, peripheral = 0;
  std::uint8_t flags = 0, enabled = 0;
  bool levelca1 = true, levelcb1 = true;
  // Each counter: the value it was started with and when, and when it
  // next passes zero with its flag to set (a one-shot timer flags once and
  // counts on from $FFFF).
  std::uint16_t value1 = 0xFFFF, value2 = 0xFFFF;
  std::uint64_t start1 = 0, start2 = 0;
  std::uint64_t timer1, timer2;
};
