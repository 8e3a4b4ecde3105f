#pragma once

// Crunches a C64 program (a PRG: load address, then the bytes) into
// crunched data that decrunches in place: its own load address, the
// program's and the data's last addresses, then the stream. Loaded at that
// address, the stream decrunches backwards into the program's address
// range without overwriting a byte still to be read; the load address
// always lies below the program's first byte.

#include <cstddef>
#include <cstdint>

#include "format.h"

// The lowest address crunched data may start at: below it lie the
// KERNAL's variables and the boot program's resident loader.
constexpr std::uint32_t lowestload = 0x0400;
// The pages the boot program keeps for itself beneath the I/O area, its
// decruncher, its end and its loading while it decrunches: neither a
// program nor its crunched data may reach into them.
constexpr std::uint32_t residentfrom = 0xD000;
constexpr std::uint32_t residentto = 0xD300;

// A part file holds the crunched data after 122 bytes of its own (a header
// text and a start address), so its first block holds the data's first
// 130 bytes and each block after it 254. The data is decrunched from the
// top down, so the file carries the rest in the order the decruncher reads
// it: 254-byte pieces from the data's top down, and last what is left
// above the first 130 bytes, the file's last block.
constexpr std::size_t headdatabytes = 130;
constexpr std::size_t piecebytes = 254;
constexpr std::size_t addressbytes = 4;

bytes crunchprogram(const bytes& program);

// The crunched data (as crunchprogram gives it: in memory's order) in the
// order the cruncher writes it to its file.
bytes inpartorder(const bytes& crunched);
