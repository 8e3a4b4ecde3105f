#include "d64.h"
#include "sampledisk.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

diskbytes filled(std::size_t size, std::uint8_t seed) {
  diskbytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
  }
  return bytes;
}

std::string what(const std::function<void()>& action) {
  try {
    action();
  } catch (const d64error& error) {
    return error.what();
  }
  return "no error";
}

TEST(d64, WrittenFilesReadBackWithTheirNamesAndBytes) {
  const std::vector<d64file> files = {
      {"BOOT", filled(643, 1)}, {"EMPTY", {}},
      {"ONE", filled(1, 2)},    {"FULL", filled(254, 3)},
      {"OVER", filled(255, 4)}, {"BIG", filled(40000, 5)}};
  const d64image image = buildimage("TARV", "00", files);

  ASSERT_EQ(image.bytes.size(), 174848u);
  const std::vector<d64entry> entries = directory(image);
  ASSERT_EQ(entries.size(), files.size());
  int used = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].name);
    EXPECT_EQ(entries[i].name, files[i].name);
    EXPECT_EQ(entries[i].type, 0x82);
    EXPECT_EQ(entries[i].blocks, blocksfor(files[i].content.size()));
    EXPECT_EQ(readchain(image, entries[i]), files[i].content);
    used += entries[i].blocks;
  }
  EXPECT_EQ(bamfreeblocks(image), freeblocks - used);
  const std::uint8_t* bam = sectorat(image, 18, 0);
  EXPECT_EQ(std::string(bam + 0x90, bam + 0x96), "TARV\xA0\xA0");
  EXPECT_EQ(std::string(bam + 0xA2, bam + 0xA7),
            "00\xA0"
            "2A");
  // The first file starts next to the directory track.
  EXPECT_EQ(entries[0].track, 17);
}

// A file takes the tracks from the directory inwards to track 1, then
// outwards from it: the head moves a track at a time but once. On each
// track it goes seven sectors on (eight where the seventh is taken), from
// sector 0 of each track after the first. The second file (the first
// part after the boot program) starts where its second block comes eight
// sectors after its first on a track of 21; the first goes seven on.
TEST(d64, AFileGoesOnATrackAwayAtATimeSevenSectorsOn) {
  const d64image image = buildimage(
      "TARV", "00", {{"SMALL", filled(600, 5)}, {"BIG", filled(150000, 6)}});
  std::vector<int> tracks;
  for (const char* name : {"SMALL", "BIG"}) {
    int lasttrack = 0, lastsector = -1, block = 0;
    for (const std::size_t index : chainof(image, name)) {
      int track = 1;
      while (index >= static_cast<std::size_t>(sectorcount(track))) ++track;
      const int sectors = sectorspertrack(track);
      const int sector = static_cast<int>(index) - sectorcount(track - 1);
      if (tracks.empty() || tracks.back() != track) tracks.push_back(track);
      if (lasttrack != 0 && track != lasttrack) {
        EXPECT_EQ(sector, 0) << name << ": track " << track;
      } else if (lasttrack != 0) {
        const int step = ((sector - lastsector) % sectors + sectors) % sectors;
        if (block == 1) {
          EXPECT_EQ(step, std::string(name) == "BIG" ? 8 : 7) << name;
        }
        EXPECT_TRUE(step == 7 || step == 8) << name << ": track " << track;
      }
      lasttrack = track;
      lastsector = sector;
      ++block;
    }
  }
  std::vector<int> expected;
  for (int track = 17; track >= 1; --track) expected.push_back(track);
  for (int track = 19; track <= 31; ++track) expected.push_back(track);
  EXPECT_EQ(tracks, expected);
}

TEST(d64, TheDirectoryTakesAllOfTrackEighteen) {
  std::vector<d64file> files;
  for (int i = 0; i < directoryentries; ++i) {
    files.push_back(
        {"F" + std::to_string(i), filled(3, static_cast<std::uint8_t>(i))});
  }
  const d64image image = buildimage("FULL", "00", files);
  const std::vector<d64entry> entries = directory(image);
  ASSERT_EQ(entries.size(), files.size());
  EXPECT_EQ(readchain(image, entries.back()), files.back().content);
  EXPECT_EQ(sectorat(image, 18, 0)[4 * 18], 0);  // no sector of track 18 left
  files.push_back({"ONEMORE", {}});
  EXPECT_EQ(what([&] { buildimage("FULL", "00", files); }),
            "145 files, the directory holds 144");
}

TEST(d64, AProductionLargerThanTheDiskIsRefused) {
  const d64image exact = buildimage("X", "00", {{"A", filled(664 * 254, 1)}});
  EXPECT_EQ(bamfreeblocks(exact), 0);
  EXPECT_EQ(readchain(exact, directory(exact)[0]), filled(664 * 254, 1));
  EXPECT_EQ(what([&] {
              buildimage("X", "00",
                         {{"A", filled(663 * 254, 1)}, {"B", filled(255, 1)}});
            }),
            "the production needs 665 blocks, the disk has 664");
}

TEST(d64, DamagedImagesAreErrorsNotHangs) {
  const d64image good = buildimage("X", "00", {{"A", filled(1000, 1)}});
  const d64entry entry = directory(good)[0];
  struct damage {
    const char* name;
    int track, sector, offset;
    std::uint8_t value;
    const char* message;
  };
  for (const damage& d :
       {damage{"link past the last track", entry.track, entry.sector, 0, 36,
               "damaged image: track 36 sector"},
        damage{"sector past the track's end", entry.track, entry.sector, 1, 21,
               "damaged image: track 17 sector 21 does not exist"},
        damage{"chain that loops", entry.track, entry.sector, 0, 0xFF,
               "damaged image: a sector chain loops"},
        damage{"empty last sector", entry.track, entry.sector, 0, 0,
               "damaged image: a file's last sector says it holds 0 bytes"}}) {
    SCOPED_TRACE(d.name);
    d64image image = good;
    std::uint8_t* sector = sectorat(image, d.track, d.sector);
    if (std::string(d.name) == "chain that loops") {
      sector[0] = static_cast<std::uint8_t>(entry.track);
      sector[1] = entry.sector;
    } else if (std::string(d.name) == "empty last sector") {
      sector[0] = 0;
      sector[1] = 0;
    } else {
      sector[d.offset] = d.value;
    }
    EXPECT_EQ(what([&] { readchain(image, entry); }).rfind(d.message, 0), 0u)
        << what([&] { readchain(image, entry); });
  }
  d64image loopingdirectory = good;
  sectorat(loopingdirectory, 18, 1)[0] = 18;
  sectorat(loopingdirectory, 18, 1)[1] = 1;
  EXPECT_EQ(what([&] { directory(loopingdirectory); }),
            "damaged image: a sector chain loops");
}

TEST(d64, ImagesHaveTheSizesOfThirtyFiveOrFortyTracks) {
  for (const std::size_t size : {174848u, 175531u, 196608u, 197376u}) {
    EXPECT_EQ(makeimage(diskbytes(size)).tracks, size < 190000 ? 35 : 40);
  }
  EXPECT_EQ(what([] { makeimage(diskbytes(174847)); }),
            "not a D64 image (174847 bytes)");
  EXPECT_EQ(what([] { readimage("no such image.d64"); }),
            "cannot read no such image.d64");
}

TEST(d64, NamesMatchAsCbmDosMatchesThem) {
  const d64entry program{"INTRO", 0x82, 17, 0, 1};
  const d64entry sequential{"INTRO", 0x81, 17, 0, 1};
  const d64entry deleted{"INTRO", 0x00, 17, 0, 1};
  const d64entry unclosed{"INTRO", 0x02, 17, 0, 1};
  struct matchcase {
    const char* pattern;
    const d64entry& entry;
    bool matches;
  };
  for (const matchcase& c :
       {matchcase{"INTRO", program, true}, matchcase{"INTR", program, false},
        matchcase{"INTROS", program, false}, matchcase{"IN*", program, true},
        matchcase{"*", program, true}, matchcase{"I?TRO", program, true},
        matchcase{"?", program, false}, matchcase{"INTRO*", program, true},
        matchcase{"0:INTRO", program, true}, matchcase{":INTRO", program, true},
        matchcase{"INTRO,P", program, true},
        matchcase{"INTRO,S", program, false},
        matchcase{"INTRO,S,R", sequential, true},
        matchcase{"INTRO,R", sequential, true},
        matchcase{"INTRO,P", sequential, false}, matchcase{"*", deleted, false},
        matchcase{"INTRO", unclosed, false},
        matchcase{"intro", program, false}}) {
    EXPECT_EQ(namematches(c.pattern, c.entry), c.matches)
        << c.pattern << " against type " << int(c.entry.type);
  }
}

TEST(d64, PetsciiNamesAreTheLettersAUserTypes) {
  EXPECT_EQ(petscii("tarv"), "TARV");
  EXPECT_EQ(petscii("Boot.prg"), "BOOT.PRG");
}

}  // namespace
