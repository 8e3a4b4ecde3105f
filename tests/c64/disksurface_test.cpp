// The disk surface as the 1541 reads it: every sector of an image in GCR,
// found by its sync marks, with the header and data block the DOS writes,
// each zone's timing, and the faults an error table names.

#include "disksurface.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "sampledisk.h"

namespace {

// The 5-to-4 code back; -1 for a code the 4-to-5 code never makes.
int nybble(unsigned code) {
  constexpr std::uint8_t codes[16] = {0x0A, 0x0B, 0x12, 0x13, 0x0E, 0x0F,
                                      0x16, 0x17, 0x09, 0x19, 0x1A, 0x1B,
                                      0x0D, 0x1D, 0x1E, 0x15};
  const auto at = std::find(std::begin(codes), std::end(codes), code);
  return at == std::end(codes) ? -1 : static_cast<int>(at - std::begin(codes));
}

std::vector<int> decode(const diskbytes& ring, std::size_t from,
                        std::size_t bytes) {
  std::vector<int> plain;
  for (std::size_t group = 0; group < bytes / 4; ++group) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 5; ++i) {
      bits = bits << 8 | ring[(from + group * 5 + i) % ring.size()];
    }
    for (int shift = 30; shift >= 0; shift -= 10) {
      const int high = nybble(bits >> (shift + 5) & 31);
      const int low = nybble(bits >> shift & 31);
      plain.push_back(high < 0 || low < 0 ? -1 : high << 4 | low);
    }
  }
  return plain;
}

struct block {
  std::vector<int> header;  // 8 bytes
  std::vector<int> data;    // 260 bytes, when a sync mark follows
};

// The blocks after each sync mark, in the order they pass the head: a
// header's 8 bytes are 10 GCR bytes, a data block's 260 are 325.
std::vector<std::vector<int>> blocksaftersync(const gcrtrack& track) {
  std::vector<std::vector<int>> blocks;
  const diskbytes& ring = track.bytes;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    // A sync mark is ten 1 bits or more, which no GCR data has: the end
    // of two $FF bytes.
    if (ring[i] == 0xFF || ring[(i + ring.size() - 1) % ring.size()] != 0xFF ||
        ring[(i + ring.size() - 2) % ring.size()] != 0xFF)
      continue;
    const std::vector<int> first = decode(ring, i, 4);
    blocks.push_back(decode(ring, i, first[0] == 0x07 ? 260 : 8));
  }
  return blocks;
}

TEST(disksurface, EverySectorIsRecordedAsTheDosWritesIt) {
  const d64image image = sampledisk();
  const std::vector<gcrtrack> tracks = recordtracks(image);
  ASSERT_EQ(tracks.size(), 35u);
  for (int track = 1; track <= 35; ++track) {
    SCOPED_TRACE(track);
    const std::vector<std::vector<int>> blocks =
        blocksaftersync(tracks[static_cast<std::size_t>(track - 1)]);
    ASSERT_EQ(blocks.size(),
              2u * static_cast<unsigned>(sectorspertrack(track)));
    for (int sector = 0; sector < sectorspertrack(track); ++sector) {
      const std::vector<int>& header =
          blocks[2 * static_cast<std::size_t>(sector)];
      const std::vector<int>& data =
          blocks[2 * static_cast<std::size_t>(sector) + 1];
      EXPECT_EQ(header,
                (std::vector<int>{0x08, sector ^ track ^ 'A' ^ 'B', sector,
                                  track, 'B', 'A', 0x0F, 0x0F}));
      const std::uint8_t* bytes = sectorat(image, track, sector);
      ASSERT_EQ(data.size(), 260u);
      EXPECT_EQ(data[0], 0x07);
      int sum = 0;
      for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(data[static_cast<std::size_t>(i) + 1], bytes[i]);
        sum ^= bytes[i];
      }
      EXPECT_EQ(data[257], sum);
    }
  }
}

TEST(disksurface, EachTrackStartsAtItsOwnAngleAsTheFormatLeftIt) {
  // Where each track starts, in eighths of a turn.
  const auto angles = [](const d64image& image) {
    std::vector<std::size_t> eighths;
    for (const gcrtrack& t : recordtracks(image)) {
      EXPECT_LT(t.startbyte, t.bytes.size());
      eighths.push_back(t.startbyte * 8 / t.bytes.size());
    }
    return eighths;
  };
  const std::vector<std::size_t> sample = angles(sampledisk());
  EXPECT_EQ(angles(sampledisk()), sample) << "a run repeats exactly";
  // Spread over the turn: 35 tracks in fewer than six eighths would be a
  // fluke.
  EXPECT_GE(std::set<std::size_t>(sample.begin(), sample.end()).size(), 6u);
  // Another format, another set of angles.
  d64image other = sampledisk();
  sectorat(other, directorytrack, 0)[0xA2] ^= 1;  // the disk ID
  EXPECT_NE(angles(other), sample);
}

TEST(disksurface, EachZoneTurnsIn200Milliseconds) {
  const std::vector<gcrtrack> tracks = recordtracks(sampledisk({}, 40));
  ASSERT_EQ(tracks.size(), 40u);
  const std::array<std::pair<int, unsigned>, 9> zones = {{{1, 26},
                                                          {17, 26},
                                                          {18, 28},
                                                          {24, 28},
                                                          {25, 30},
                                                          {30, 30},
                                                          {31, 32},
                                                          {35, 32},
                                                          {40, 32}}};
  for (const auto& [track, cycles] : zones) {
    const gcrtrack& t = tracks[static_cast<std::size_t>(track - 1)];
    EXPECT_EQ(t.cyclesperbyte, cycles) << track;
    EXPECT_EQ(t.zone, (32 - cycles) / 2) << track;
    EXPECT_NEAR(static_cast<double>(t.bytes.size() * t.cyclesperbyte), 200000,
                100)
        << track;
  }
}

TEST(disksurface, TheErrorTableNamesTheFault) {
  // Track 5 sector 3 is the image's 87th sector: 4 tracks of 21 first.
  constexpr int index = 4 * 21 + 3;
  // The table's codes: 2-11 for the DOS's errors 20-29.
  struct fault {
    int error;  // the DOS's
    const char* statement;
  };
  for (const fault& f :
       {fault{20, "no header block"}, fault{21, "no sync"},
        fault{22, "no data block"}, fault{23, "a data checksum error"},
        fault{27, "a header checksum error"}, fault{29, "another disk ID"}}) {
    SCOPED_TRACE(f.statement);
    const auto code = static_cast<std::uint8_t>(f.error - 18);
    const std::vector<gcrtrack> tracks =
        recordtracks(sampledisk({}, 35, {{index, code}}));
    const std::vector<std::vector<int>> blocks = blocksaftersync(tracks[4]);
    if (f.error == 21) {
      EXPECT_EQ(blocks.size(), 2u * 21 - 2);
      continue;
    }
    ASSERT_EQ(blocks.size(), 2u * 21);
    const std::vector<int>& header = blocks[6];
    const std::vector<int>& data = blocks[7];
    const bool headerfound = header[0] == 0x08;
    const bool headersums =
        (header[1] ^ header[2] ^ header[3] ^ header[4] ^ header[5]) == 0;
    const bool idmatches = header[4] == 'B' && header[5] == 'A';
    int sum = 0;
    for (std::size_t i = 1; i <= 256 && data.size() == 260; ++i) sum ^= data[i];
    const bool datafound = data.size() == 260 && data[0] == 0x07;
    const bool datasums = datafound && sum == data[257];
    EXPECT_EQ(headerfound, f.error != 20);
    EXPECT_EQ(headersums, f.error != 27);
    EXPECT_EQ(idmatches, f.error != 29);
    EXPECT_EQ(datafound, f.error != 22);
    EXPECT_EQ(datasums, f.error != 22 && f.error != 23);
  }
}

}  // namespace
