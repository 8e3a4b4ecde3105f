#pragma once

// Crunches a C64 program (a PRG: load address, then the bytes) into a
// crunched file that decrunches in place: its own load address, then the
// stream. Loaded at that address, the stream decrunches backwards into the
// program's address range without overwriting a byte still to be read;
// the load address always lies below the program's first byte.

#include <cstdint>

#include "format.h"

// The lowest address crunched data may start at: below it lie the
// KERNAL's variables and the boot program's resident loader.
constexpr std::uint32_t lowestload = 0x0400;
// The pages the boot program keeps for itself beneath the I/O area, its
// decruncher and its end: neither a program nor its crunched data may reach
// into them.
constexpr std::uint32_t residentfrom = 0xD000;
constexpr std::uint32_t residentto = 0xD200;

bytes crunchprogram(const bytes& program);
