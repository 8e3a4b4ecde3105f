#include "streamwriter.h"

void streamwriter::bit(bool set) {
  if (bitsleft == 0) {
    bitbyte = stream.size();
    stream.push_back(0);
    bitsleft = 8;
  }
  --bitsleft;
  if (set)
    stream[bitbyte] =
        static_cast<std::uint8_t>(stream[bitbyte] | 1 << bitsleft);
}

void streamwriter::gamma(std::uint32_t value) {
  bit(gammafirstbit(value));
  gammaafterfirst(value);
}

void streamwriter::gammaafterfirst(std::uint32_t value) {
  int top = 31;
  while (!(value >> top & 1)) --top;
  for (int i = top - 1; i >= 0; --i) {
    bit(value >> i & 1);
    if (i > 0) bit(true);
  }
  if (gammafirstbit(value)) bit(false);
}
