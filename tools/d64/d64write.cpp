#include <algorithm>
#include <cctype>

#include "d64.h"

namespace {

// The boot program's drive code reads a directory sector while three more
// pass.
constexpr int directoryinterleave = 4;
constexpr int bytesperblock = 254;

// The BAM entry of a track: its free count, then one bit a sector.
std::uint8_t* bamentry(d64image& image, int track) {
  return sectorat(image, directorytrack, 0) + 4 * track;
}

bool isfree(d64image& image, int track, int sector) {
  return bamentry(image, track)[1 + sector / 8] & (1 << (sector % 8));
}

void allocate(d64image& image, int track, int sector) {
  std::uint8_t* entry = bamentry(image, track);
  entry[1 + sector / 8] =
      static_cast<std::uint8_t>(entry[1 + sector / 8] & ~(1 << (sector % 8)));
  --entry[0];
}

void release(d64image& image, int track, int sector) {
  std::uint8_t* entry = bamentry(image, track);
  entry[1 + sector / 8] =
      static_cast<std::uint8_t>(entry[1 + sector / 8] | 1 << (sector % 8));
  ++entry[0];
}

void padname(std::uint8_t* field, const std::string& name, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    field[i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : 0xA0;
  }
}

void format(d64image& image, const std::string& diskname,
            const std::string& id) {
  std::uint8_t* bam = sectorat(image, directorytrack, 0);
  bam[0] = directorytrack;
  bam[1] = 1;
  bam[2] = 0x41;  // DOS version 'A'
  for (int track = 1; track <= 35; ++track) {
    std::uint8_t* entry = bamentry(image, track);
    const int sectors = sectorspertrack(track);
    entry[0] = static_cast<std::uint8_t>(sectors);
    for (int sector = 0; sector < sectors; ++sector) {
      entry[1 + sector / 8] =
          static_cast<std::uint8_t>(entry[1 + sector / 8] | 1 << (sector % 8));
    }
  }
  padname(bam + 0x90, diskname, 16);
  bam[0xA0] = bam[0xA1] = 0xA0;
  padname(bam + 0xA2, id, 2);
  bam[0xA4] = 0xA0;
  bam[0xA5] = '2';
  bam[0xA6] = 'A';
  padname(bam + 0xA7, "", 4);
  allocate(image, directorytrack, 0);
}

// Tracks in the order files take them: from the directory inwards to
// track 1, then outwards from it, so that a file or the next one goes on
// a track away.
std::vector<int> trackorder() {
  std::vector<int> order;
  for (int track = directorytrack - 1; track >= 1; --track) {
    order.push_back(track);
  }
  for (int track = directorytrack + 1; track <= 35; ++track) {
    order.push_back(track);
  }
  return order;
}

struct place {
  int track;
  int sector;
};

// Seven sectors on from the last one, on the same track while it has
// room (one further where that sector is taken), else sector 0 of the next
// track in order that has room. The boot program's drive code takes a
// part's sectors in whatever order they pass under the head and knows
// from this order where each one's bytes go; seven apart, a part's
// sectors spread round the track, so that the next comes soon after the
// drive has sent the last. (The KERNAL's transfer is slower than any
// interleave.)
constexpr int filesinterleave = 7;

place nextsector(d64image& image, const std::vector<int>& tracks,
                 std::size_t& trackindex, int& sector) {
  for (; trackindex < tracks.size(); ++trackindex, sector = -filesinterleave) {
    const int track = tracks[trackindex];
    if (bamentry(image, track)[0] == 0) continue;
    const int sectors = sectorspertrack(track);
    int candidate = (sector + filesinterleave) % sectors;
    while (!isfree(image, track, candidate)) {
      candidate = (candidate + 1) % sectors;
    }
    allocate(image, track, candidate);
    sector = candidate;
    return place{track, candidate};
  }
  throw d64error("the disk is full");  // ruled out by the size check
}

// On a track whose sectors the interleave divides (21 of them) a round of
// steps ends on its first sector, taken, and goes one further: every third
// step is eight sectors. The second file, the first part after the boot
// program, starts where its second block comes such a step after its
// first, as far as the disk has blocks to spare: the boot program's drive
// code reads that part's first block when the C64 asks for it, sends its
// head and then reads the second, and seven sectors of the fastest zone
// pass before it can. (It reads each later part's first block ahead, right
// after the last block of the part before, which the next place of the
// order suits best.) The places passed over are taken while the files are
// written, which keeps the order, and let go after.
void alignfirstblock(d64image& image, const std::vector<int>& tracks,
                     std::size_t& trackindex, int& sector, int& spare,
                     std::vector<place>& passed) {
  while (spare > 0 && trackindex < tracks.size()) {
    const int track = tracks[trackindex];
    const int taken = sectorspertrack(track) - bamentry(image, track)[0];
    const int round = sectorspertrack(track) / filesinterleave;
    if (taken == sectorspertrack(track)) {  // full: the file starts on the next
      ++trackindex;
      sector = -filesinterleave;
    } else if (sectorspertrack(track) % filesinterleave != 0 ||
               taken % round == round - 1) {
      return;
    } else {
      passed.push_back(nextsector(image, tracks, trackindex, sector));
      --spare;
    }
  }
}

void writefile(d64image& image, const d64file& file,
               const std::vector<int>& tracks, std::size_t& trackindex,
               int& sector, std::uint8_t* entry) {
  const int blocks = blocksfor(file.content.size());
  place current = nextsector(image, tracks, trackindex, sector);
  entry[0] = 0x82;  // a closed PRG
  entry[1] = static_cast<std::uint8_t>(current.track);
  entry[2] = static_cast<std::uint8_t>(current.sector);
  padname(entry + 3, file.name, 16);
  entry[28] = static_cast<std::uint8_t>(blocks);
  entry[29] = static_cast<std::uint8_t>(blocks >> 8);
  for (int block = 0; block < blocks; ++block) {
    const std::size_t from = static_cast<std::size_t>(block) * bytesperblock;
    const std::size_t count =
        std::min<std::size_t>(bytesperblock, file.content.size() - from);
    std::uint8_t* data = sectorat(image, current.track, current.sector);
    std::copy(file.content.begin() + static_cast<std::ptrdiff_t>(from),
              file.content.begin() + static_cast<std::ptrdiff_t>(from + count),
              data + 2);
    if (block + 1 == blocks) {
      data[0] = 0;
      data[1] = static_cast<std::uint8_t>(count + 1);
    } else {
      current = nextsector(image, tracks, trackindex, sector);
      data[0] = static_cast<std::uint8_t>(current.track);
      data[1] = static_cast<std::uint8_t>(current.sector);
    }
  }
}

}  // namespace

int blocksfor(std::size_t bytes) {
  return bytes == 0
             ? 1
             : static_cast<int>((bytes + bytesperblock - 1) / bytesperblock);
}

std::string petscii(const std::string& ascii) {
  std::string name;
  for (const char c : ascii) {
    name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return name;
}

int bamfreeblocks(const d64image& image) {
  const std::uint8_t* bam = sectorat(image, directorytrack, 0);
  int free = 0;
  for (int track = 1; track <= 35; ++track) {
    if (track != directorytrack) free += bam[4 * track];
  }
  return free;
}

d64image buildimage(const std::string& diskname, const std::string& id,
                    const std::vector<d64file>& files) {
  int needed = 0;
  for (const d64file& file : files) needed += blocksfor(file.content.size());
  if (needed > freeblocks) {
    throw d64error("the production needs " + std::to_string(needed) +
                   " blocks, the disk has " + std::to_string(freeblocks));
  }
  if (files.size() > directoryentries) {
    throw d64error(std::to_string(files.size()) +
                   " files, the directory holds " +
                   std::to_string(directoryentries));
  }
  d64image image{
      diskbytes(static_cast<std::size_t>(sectorcount(35)) * sectorsize),
      35,
      {}};
  format(image, diskname, id);

  const std::vector<int> tracks = trackorder();
  std::size_t trackindex = 0;
  int sector = -filesinterleave;
  int spare = freeblocks - needed;
  std::vector<place> passed;
  int directorysector = 1;
  std::uint8_t* directory = sectorat(image, directorytrack, directorysector);
  allocate(image, directorytrack, directorysector);
  directory[1] = 0xFF;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i > 0 && i % 8 == 0) {
      // The next directory sector, at the interleave; past the end it wraps
      // to the first unused one.
      int next = (directorysector + directoryinterleave) %
                 sectorspertrack(directorytrack);
      while (!isfree(image, directorytrack, next))
        next = (next + 1) % sectorspertrack(directorytrack);
      directory[0] = directorytrack;
      directory[1] = static_cast<std::uint8_t>(next);
      directorysector = next;
      directory = sectorat(image, directorytrack, directorysector);
      allocate(image, directorytrack, directorysector);
      directory[1] = 0xFF;
    }
    if (i == 1) {
      alignfirstblock(image, tracks, trackindex, sector, spare, passed);
    }
    writefile(image, files[i], tracks, trackindex, sector,
              directory + 32 * (i % 8) + 2);
  }
  for (const place& free : passed) release(image, free.track, free.sector);
  return image;
}
