#pragma once

// What the drive model's tests read: a disk with 150 KB of patterned data
// after the files given, of 35 or 40 tracks (the last five filled with
// $5A), with an error table when errors are given, each the sector's index
// in the image and its code.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "d64.h"

inline d64image sampledisk(
    std::vector<d64file> files = {}, int tracks = 35,
    const std::vector<std::pair<int, std::uint8_t>>& errors = {}) {
  diskbytes data(150000);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  files.push_back({"DATA", data});
  diskbytes bytes = buildimage("SAMPLE", "AB", files).bytes;
  const auto sectors = static_cast<std::size_t>(sectorcount(tracks));
  bytes.resize(sectors * sectorsize, 0x5A);
  if (!errors.empty()) {
    diskbytes table(sectors, 1);
    for (const auto& [index, code] : errors)
      table[static_cast<std::size_t>(index)] = code;
    bytes.insert(bytes.end(), table.begin(), table.end());
  }
  return makeimage(bytes);
}

// The image's sectors a file takes, in its chain's order, as indexes into
// the error table.
inline std::vector<std::size_t> chainof(const d64image& image,
                                        const std::string& name) {
  const std::vector<d64entry> entries = directory(image);
  const d64entry* entry = findfile(entries, name);
  std::vector<std::size_t> indexes;
  for (int track = entry->track, sector = entry->sector; track != 0;) {
    indexes.push_back(sectorindex(track, sector));
    const std::uint8_t* data = sectorat(image, track, sector);
    track = data[0];
    sector = data[1];
  }
  return indexes;
}
