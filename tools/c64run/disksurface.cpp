#include "disksurface.h"

#include <algorithm>

namespace {

// The 4-to-5 code: no more than two 0 bits in a row, and never ten 1 bits,
// which only a sync mark has.
constexpr std::uint8_t gcrcode[16] = {0x0A, 0x0B, 0x12, 0x13, 0x0E, 0x0F,
                                      0x16, 0x17, 0x09, 0x19, 0x1A, 0x1B,
                                      0x0D, 0x1D, 0x1E, 0x15};

// Bytes a track holds, and the cycles a byte takes, by zone: the rates
// 250,000 to 307,692 bits a second make one turn 200 ms in each.
struct zone {
  int firsttrack;
  unsigned trackbytes;
  unsigned cyclesperbyte;
  std::uint8_t density;
};
constexpr zone zones[] = {
    {31, 6250, 32, 0}, {25, 6666, 30, 1}, {18, 7142, 28, 2}, {1, 7692, 26, 3}};

const zone& zoneof(int track) {
  return *std::find_if(std::begin(zones), std::end(zones),
                       [&](const zone& z) { return track >= z.firsttrack; });
}

// The DOS's read errors, as the error table codes them: 2 for the DOS's 20,
// 3 for 21, and so on up to 11 for 29.
enum : std::uint8_t {
  noheader = 2,
  nosync = 3,
  nodata = 4,
  datachecksum = 5,
  headerchecksum = 9,
  idmismatch = 11
};

constexpr std::size_t syncbytes = 5, headergap = 9;

void putgcr(diskbytes& out, const std::vector<std::uint8_t>& plain) {
  for (std::size_t i = 0; i < plain.size(); i += 4) {
    std::uint8_t five[5];
    gcrencode(&plain[i], five);
    out.insert(out.end(), five, five + 5);
  }
}

void putsync(diskbytes& out, std::uint8_t error) {
  out.insert(out.end(), syncbytes, error == nosync ? 0x55 : 0xFF);
}

}  // namespace

void gcrencode(const std::uint8_t* four, std::uint8_t* five) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 4; ++i) {
    bits = bits << 10 | gcrcode[four[i] >> 4] << 5 | gcrcode[four[i] & 15];
  }
  for (int i = 4; i >= 0; --i, bits >>= 8) {
    five[i] = static_cast<std::uint8_t>(bits);
  }
}

// Formatting writes each track from wherever the disk is when it gets
// there: an angle that looks random from track to track. A hash of what
// the format command was given (the disk's name and ID, in the BAM) and
// the track stands for it.
static std::size_t startangle(const std::uint8_t* bam, int track,
                              std::size_t trackbytes) {
  std::uint64_t hash = 0xCBF29CE484222325;  // FNV-1a
  for (int i = 0x90; i <= 0xA4; ++i) {
    hash = (hash ^ bam[i]) * 0x100000001B3;
  }
  hash = (hash ^ static_cast<std::uint64_t>(track)) * 0x100000001B3;
  hash ^= hash >> 29;  // the low bits of FNV-1a vary little with the last byte
  hash *= 0xBF58476D1CE4E5B9;
  hash ^= hash >> 32;
  return static_cast<std::size_t>(hash % trackbytes);
}

std::vector<gcrtrack> recordtracks(const d64image& image) {
  const std::uint8_t* bam = sectorat(image, directorytrack, 0);
  const std::uint8_t id1 = bam[0xA2], id2 = bam[0xA3];
  std::vector<gcrtrack> tracks;
  std::size_t index = 0;  // of the sector in the image, for its error
  for (int track = 1; track <= image.tracks; ++track) {
    const zone& z = zoneof(track);
    const int sectors = sectorspertrack(track);
    gcrtrack recorded{
        {}, z.cyclesperbyte, z.density, startangle(bam, track, z.trackbytes)};
    diskbytes& out = recorded.bytes;
    for (int sector = 0; sector < sectors; ++sector, ++index) {
      const std::uint8_t error =
          index < image.errors.size() ? image.errors[index] : 1;
      const auto t = static_cast<std::uint8_t>(track);
      const auto s = static_cast<std::uint8_t>(sector);
      const std::uint8_t ids[2] = {
          static_cast<std::uint8_t>(error == idmismatch ? id1 ^ 0xFF : id1),
          id2};
      std::uint8_t checksum = s ^ t ^ ids[0] ^ ids[1];
      if (error == headerchecksum) checksum ^= 0xFF;
      putsync(out, error);
      putgcr(out, {static_cast<std::uint8_t>(error == noheader ? 0x00 : 0x08),
                   checksum, s, t, ids[1], ids[0], 0x0F, 0x0F});
      out.insert(out.end(), headergap, 0x55);
      putsync(out, error);
      std::vector<std::uint8_t> block(260, 0);
      block[0] = error == nodata ? 0x00 : 0x07;
      const std::uint8_t* data = sectorat(image, track, sector);
      std::copy(data, data + sectorsize, block.begin() + 1);
      std::uint8_t sum = 0;
      for (int i = 0; i < sectorsize; ++i) sum ^= data[i];
      block[257] = error == datachecksum ? sum ^ 0xFF : sum;
      putgcr(out, block);
      // The gap after each sector shares out what the track has left.
      const std::size_t end = z.trackbytes * (sector + 1) / sectors;
      out.resize(std::max(out.size(), end), 0x55);
    }
    tracks.push_back(std::move(recorded));
  }
  return tracks;
}
