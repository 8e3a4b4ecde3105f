#include "d64.h"

#include <fstream>
#include <iterator>

#include "nativepath.h"

int sectorspertrack(int track) {
  if (track <= 17) return 21;
  if (track <= 24) return 19;
  if (track <= 30) return 18;
  return 17;
}

int sectorcount(int tracks) {
  int sectors = 0;
  for (int track = 1; track <= tracks; ++track) {
    sectors += sectorspertrack(track);
  }
  return sectors;
}

std::size_t sectorindex(int track, int sector) {
  std::size_t index = 0;
  for (int before = 1; before < track; ++before) {
    index += static_cast<std::size_t>(sectorspertrack(before));
  }
  return index + static_cast<std::size_t>(sector);
}

static std::size_t sectoroffset(int track, int sector) {
  return sectorindex(track, sector) * sectorsize;
}

d64image makeimage(diskbytes bytes) {
  for (const int tracks : {35, 40}) {
    const std::size_t sectors = static_cast<std::size_t>(sectorcount(tracks));
    const std::size_t plain = sectors * sectorsize;
    if (bytes.size() == plain || bytes.size() == plain + sectors) {
      diskbytes errors(bytes.begin() + static_cast<std::ptrdiff_t>(plain),
                       bytes.end());
      bytes.resize(plain);
      return d64image{std::move(bytes), tracks, std::move(errors)};
    }
  }
  throw d64error("not a D64 image (" + std::to_string(bytes.size()) +
                 " bytes)");
}

d64image readimage(const std::string& path) {
  std::ifstream in(nativepath(path), std::ios::binary);
  if (!in) {
    throw d64error("cannot read " + path);
  }
  diskbytes bytes((std::istreambuf_iterator<char>(in)),
                  std::istreambuf_iterator<char>());
  if (in.bad()) {
    throw d64error("cannot read " + path);
  }
  try {
    return makeimage(std::move(bytes));
  } catch (const d64error& error) {
    throw d64error(path + ": " + error.what());
  }
}

const std::uint8_t* sectorat(const d64image& image, int track, int sector) {
  if (track < 1 || track > image.tracks || sector < 0 ||
      sector >= sectorspertrack(track)) {
    throw d64error("damaged image: track " + std::to_string(track) +
                   " sector " + std::to_string(sector) + " does not exist");
  }
  return image.bytes.data() + sectoroffset(track, sector);
}

std::uint8_t* sectorat(d64image& image, int track, int sector) {
  const d64image& readonly = image;
  return image.bytes.data() +
         (sectorat(readonly, track, sector) - readonly.bytes.data());
}

// Follows a sector chain, handing each sector to the visitor; a chain longer
// than the disk has sectors must loop.
template <typename visitor>
static void walkchain(const d64image& image, int track, int sector,
                      visitor visit) {
  const int most = sectorcount(image.tracks);
  for (int count = 0; track != 0; ++count) {
    if (count == most) {
      throw d64error("damaged image: a sector chain loops");
    }
    const std::uint8_t* data = sectorat(image, track, sector);
    visit(data);
    track = data[0];
    sector = data[1];
  }
}

std::vector<d64entry> directory(const d64image& image) {
  std::vector<d64entry> entries;
  walkchain(image, directorytrack, 1, [&](const std::uint8_t* data) {
    for (int slot = 0; slot < 8; ++slot) {
      const std::uint8_t* raw = data + slot * 32;
      if (raw[2] == 0) {
        continue;
      }
      d64entry entry;
      entry.type = raw[2];
      entry.track = raw[3];
      entry.sector = raw[4];
      for (int i = 5; i < 21 && raw[i] != 0xA0; ++i) {
        entry.name += static_cast<char>(raw[i]);
      }
      entry.blocks = static_cast<std::uint16_t>(raw[30] | raw[31] << 8);
      entries.push_back(entry);
    }
  });
  return entries;
}

diskbytes readchain(const d64image& image, const d64entry& entry) {
  diskbytes content;
  walkchain(image, entry.track, entry.sector, [&](const std::uint8_t* data) {
    // The last sector's link sector byte is the offset of its last used
    // byte; a value below 1 would make a negative length.
    int end = sectorsize;
    if (data[0] == 0) {
      if (data[1] < 1) {
        throw d64error("damaged image: a file's last sector says it holds " +
                       std::to_string(data[1]) + " bytes");
      }
      end = data[1] + 1;
    }
    content.insert(content.end(), data + 2, data + end);
  });
  return content;
}

static bool wantedtype(char letter, std::uint8_t type) {
  switch (letter) {
    case 'P':
      return (type & 7) == 2;
    case 'S':
      return (type & 7) == 1;
    case 'U':
      return (type & 7) == 3;
    default:
      return true;  // R(ead) and anything else say nothing of type
  }
}

bool namematches(const std::string& pattern, const d64entry& entry) {
  const std::uint8_t kind = entry.type & 7;
  if ((entry.type & 0x80) == 0 || kind < 1 || kind > 3) {
    return false;  // deleted, unclosed, relative or not a file at all
  }
  std::string name = pattern;
  const std::size_t colon = name.find(':');
  if (colon != std::string::npos && colon <= 1) {
    name.erase(0, colon + 1);
  }
  std::string modifiers;
  const std::size_t comma = name.find(',');
  if (comma != std::string::npos) {
    modifiers = name.substr(comma);
    name.resize(comma);
  }
  for (std::size_t i = 0; i + 1 < modifiers.size(); ++i) {
    if (modifiers[i] == ',' && !wantedtype(modifiers[i + 1], entry.type)) {
      return false;
    }
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '*') {
      return true;
    }
    if (i >= entry.name.size() ||
        (name[i] != '?' && name[i] != entry.name[i])) {
      return false;
    }
  }
  return name.size() == entry.name.size();
}

const d64entry* findfile(const std::vector<d64entry>& entries,
                         const std::string& pattern) {
  for (const d64entry& entry : entries) {
    if (namematches(pattern, entry)) {
      return &entry;
    }
  }
  return nullptr;
}
