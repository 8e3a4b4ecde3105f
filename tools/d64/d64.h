#pragma once

// D64 disk images: the 35-track image a 1541 holds (40 tracks when the file
// has that size), read through the DOS structures (directory chain, sector
// links) with every link checked, so a damaged image is an error, never a
// hang.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using diskbytes = std::vector<std::uint8_t>;

struct d64error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct d64image {
  diskbytes bytes;  // 256 bytes a sector, track 1 sector 0 first
  int tracks = 35;
  // The error byte of each sector, in the same order, when the image
  // carries them (0 and 1 mean none; 2-11 are the DOS's read errors 20-29).
  diskbytes errors;
};

struct d64entry {
  std::string name;       // PETSCII, without the $A0 padding
  std::uint8_t type = 0;  // the directory's type byte: $82 is a closed PRG
  std::uint8_t track = 0;
  std::uint8_t sector = 0;
  std::uint16_t blocks = 0;
};

constexpr int sectorsize = 256;
constexpr int directorytrack = 18;

int sectorspertrack(int track);
// Total sectors of a 35- or 40-track disk.
int sectorcount(int tracks);
// A sector's place in the image, counting from track 1 sector 0: its
// index into the error bytes.
std::size_t sectorindex(int track, int sector);

// Takes an image file's bytes; its size must be one a D64 has (with or
// without the error bytes).
d64image makeimage(diskbytes bytes);
d64image readimage(const std::string& path);

// The sector's 256 bytes; a track or sector out of range is an error.
const std::uint8_t* sectorat(const d64image& image, int track, int sector);
std::uint8_t* sectorat(d64image& image, int track, int sector);

// The used entries of the directory (closed or not), in directory order.
std::vector<d64entry> directory(const d64image& image);

// The file's bytes along its sector chain.
diskbytes readchain(const d64image& image, const d64entry& entry);

// How CBM DOS matches a name: "*" matches the rest, "?" any one character,
// a leading "0:" or ":" is dropped, and ",P", ",S", ",U" or ",R" after the
// name set the wanted type or read mode. A pattern matches only closed
// files of a readable type.
bool namematches(const std::string& pattern, const d64entry& entry);

// The first directory entry the pattern matches, or nullptr.
const d64entry* findfile(const std::vector<d64entry>& entries,
                         const std::string& pattern);

// Writing: a new 35-track image as a 1541 formats and fills it.

struct d64file {
  std::string name;   // PETSCII
  diskbytes content;  // load address first
};

constexpr int freeblocks = 664;        // 683 sectors less track 18
constexpr int directoryentries = 144;  // 18 sectors of 8 entries

// Blocks a file of that many bytes takes (254 bytes a block, at least one).
int blocksfor(std::size_t bytes);

// The BAM on 18/0 with the disk name and ID, the directory on track 18
// (interleave 4), the files as closed PRGs in list order, each going on
// from the last file's last sector: seven sectors on (one further where
// that one is taken), from sector 0 of each track, from track 17 down to
// track 1, then from track 19 up; the second file passes over up to two
// places, while the disk has blocks to spare, so that its second block
// comes eight sectors after its first on a track of 21. A production that
// does not fit raises d64error saying what it needs and what there is.
d64image buildimage(const std::string& diskname, const std::string& id,
                    const std::vector<d64file>& files);

// An ASCII name as a C64 user types it: letters of either case become the
// unshifted PETSCII letters, so "aa" and "AA" are both LOAD"AA".
std::string petscii(const std::string& ascii);

// How many blocks the BAM says are free (track 18 not counted).
int bamfreeblocks(const d64image& image);
