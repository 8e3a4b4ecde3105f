#pragma once

// Crunches a C64 program (a PRG: load address, then the bytes) into a
// crunched file that decrunches in place: its own load address, then the
// stream. Loaded at that address, the stream decrunches backwards into the
// program's address range without overwriting a byte still to be read;
// the load address always lies below the program's first byte.

#include <cstdint>

#include "format.h"

// The lowest address crunched data may start at: below it lie the KERNAL's
// vectors, which a load must not touch.
constexpr std::uint32_t lowestload = 0x0334;
// Programs must end below the I/O area, which a KERNAL load cannot write.
constexpr std::uint32_t programtop = 0xD000;

bytes crunchprogram(const bytes& program);
