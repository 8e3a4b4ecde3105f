#include <algorithm>

#include "d64.h"
#include "fuzzcheck.h"

// The input is cut into files for a new image, which must read back
// exactly; then the input is laid over the directory track and the first
// file's sectors, and reading the damaged image must end in data or a
// d64error, never a crash or a hang.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const diskbytes input(data, data + size);
  std::vector<d64file> files;
  for (std::size_t from = 0; from < size && files.size() < 6;) {
    const std::size_t length =
        std::min<std::size_t>(size - from, data[from] * 7u);
    files.push_back(
        {"F" + std::to_string(files.size()),
         diskbytes(
             input.begin() + static_cast<std::ptrdiff_t>(from),
             input.begin() + static_cast<std::ptrdiff_t>(from + length))});
    from += length + 1;
  }
  d64image image = buildimage("FUZZ", "00", files);
  const std::vector<d64entry> entries = directory(image);
  check(entries.size() == files.size(), "every written file is listed");
  for (std::size_t i = 0; i < files.size(); ++i) {
    check(entries[i].name == files[i].name, "names read back");
    check(readchain(image, entries[i]) == files[i].content,
          "contents read back");
  }

  const std::size_t track18 = 357 * sectorsize;  // tracks 1-17
  std::copy(input.begin(),
            input.begin() + static_cast<std::ptrdiff_t>(
                                std::min<std::size_t>(size, 2 * sectorsize)),
            image.bytes.begin() + static_cast<std::ptrdiff_t>(track18));
  const std::size_t track17 = 336 * sectorsize;
  std::copy(input.begin(),
            input.begin() + static_cast<std::ptrdiff_t>(
                                std::min<std::size_t>(size, 21 * sectorsize)),
            image.bytes.begin() + static_cast<std::ptrdiff_t>(track17));
  try {
    const std::vector<d64entry> damaged = directory(image);
    for (const d64entry& entry : damaged) {
      check(!namematches(entry.name, entry) ||
                findfile(damaged, entry.name) != nullptr,
            "a file whose name matches is found");
      check(readchain(image, entry).size() <= 683u * 254u,
            "a file fits on the disk");
    }
  } catch (const d64error&) {
  }
  return 0;
}
