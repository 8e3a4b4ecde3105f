// Disks built as a group builds them, with partdisk and the bundled
// cruncher, disk tool and boot program, booted in c64run.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "bootdisk.h"
#include "d64.h"
#include "runerror.h"
#include "sampledisk.h"

namespace {

using boottest = bootdisk;

// What BASIC's warm start finds after the boot program's end: an empty
// program (NEW), BASIC's pointers for it and the KERNAL's interrupt
// vector.
const std::vector<std::string> cleanenddumps = {
    "--dump", "0801-0802=program.bin", "--dump", "002B-0038=pointers.bin",
    "--dump", "0314-0315=irq.bin"};
void expectcleanend(const fs::path& work) {
  EXPECT_EQ(readfile(work / "program.bin"), filebytes({0x00, 0x00}));
  EXPECT_EQ(readfile(work / "pointers.bin"),
            filebytes({0x01, 0x08, 0x03, 0x08, 0x03, 0x08, 0x03, 0x08, 0x00,
                       0xA0, 0x00, 0xA0, 0x00, 0xA0}));
  EXPECT_EQ(readfile(work / "irq.bin"), filebytes({0x31, 0xEA}));
}

TEST_F(boottest, TheExampleProductionRuns) {
  fs::copy(built("examples"), work,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  const programrun built =
      runprogram(program / PARTDISK_NAME, {"disk", "parts.txt", "out"}, work);
  ASSERT_EQ(built.status, 0);

  // Each code part is entered at its start address with its program, and
  // everything loaded before it, exactly in place, and its header on top.
  const filebytes intropart = readfile(work / "intro.prg");
  const programrun intro =
      boot({"--stop-at", "0801", "--dump", dumpof(intropart, "intro.bin")});
  EXPECT_EQ(
      stopline(intro).rfind("stop: reached the stop address, pc $0801", 0), 0u);
  EXPECT_EQ(readfile(work / "intro.bin"),
            filebytes(intropart.begin() + 2, intropart.end()));
  EXPECT_EQ(screenrows(intro)[0], "TARV - INTRO");

  const filebytes credits = readfile(work / "credits.prg");
  const filebytes mainpart = readfile(work / "main.prg");
  const programrun main =
      boot({"--stop-at", "c000", "--dump", dumpof(credits, "credits.bin"),
            "--dump", dumpof(mainpart, "main.bin")});
  EXPECT_EQ(stopline(main).rfind("stop: reached the stop address, pc $C000", 0),
            0u);
  EXPECT_EQ(readfile(work / "credits.bin"),
            filebytes(credits.begin() + 2, credits.end()));
  EXPECT_EQ(readfile(work / "main.bin"),
            filebytes(mainpart.begin() + 2, mainpart.end()));
  EXPECT_EQ(screenrows(main)[0], "TARV - MAIN");

  // The data part is never called; the last screen is the main part's.
  const programrun whole = boot({"--stop-at", "4000"});
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(
      whole.output.rfind(
          "THE END\n\nCODE, GRAPHICS AND MUSIC BY TARV\nTHANKS FOR WATCHING\n"
          "stop: returned to BASIC, pc $E37B",
          0),
      0u)
      << whole.output;
}

TEST_F(boottest, ADataPartShowsItsHeaderAndIsNotCalled) {
  builddisk({{"data", programat(0x4000, {0x00, 0x00, 0x00})},
             {"code", printer(0x0801, 'C')}},
            "data.prg\ncode.prg 0801\n");

  // At the decruncher's entry the data part has loaded; its header shows.
  const programrun loaded = boot({"--stop-at", "d000"});
  EXPECT_EQ(screenrows(loaded)[0], "HEADER OF DATA..........................");
  EXPECT_EQ(screenrows(loaded)[1], std::string(40, '.'));

  // A BRK at $4000 would end the run with an error if the part were called.
  const programrun whole = boot({});
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(screenrows(whole)[3], "C") << whole.output;
}

TEST_F(boottest, TwentySixPartsLoadOverTheBootProgram) {
  std::vector<std::pair<std::string, filebytes>> programs;
  std::string list;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string name(1, static_cast<char>(letter + 'a' - 'A'));
    programs.emplace_back(name, printer(0x0801, letter));
    list += name + ".prg 0801\n";
  }
  builddisk(programs, list);

  const programrun run = boot(cleanenddumps);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(screenrows(run)[0], "HEADER OF Z.............................");
  EXPECT_EQ(screenrows(run)[3], "ABCDEFGHIJKLMNOPQRSTUVWXYZ") << run.output;
  EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0), 0u);
  expectcleanend(work);
}

TEST_F(boottest, ALargeRealProgramArrivesIntact) {
  // 50,000 bytes of compiled C at $0801, with an RTS after them to start.
  filebytes program = readfile(built("corpus") / "combined.prg");
  program.push_back(0x60);
  const std::string address =
      hex4(0x0801 + static_cast<unsigned>(program.size()) - 3);
  builddisk({{"big", program}}, "big.prg " + address + "\n");

  const programrun run =
      boot({"--stop-at", address, "--dump", dumpof(program, "big.bin")});

  EXPECT_EQ(stopline(run).rfind("stop: reached the stop address", 0), 0u)
      << run.output;
  EXPECT_EQ(readfile(work / "big.bin"),
            filebytes(program.begin() + 2, program.end()));
}

TEST_F(boottest, APartReachingTheTopOfItsMemoryWorks) {
  filebytes code(0x1000, 0xEA);  // $C000-$CFFF, ending in a printer at $CFF9
  const filebytes tail = printer(0xCFF9, '!');
  std::copy(tail.begin() + 2, tail.end(), code.end() - 6);
  builddisk({{"top", programat(0xC000, code)}}, "top.prg cff9\n");

  const programrun run =
      boot({"--stop-at", "cff9", "--dump", "c000-cfff=top.bin"});

  EXPECT_EQ(stopline(run).rfind("stop: reached the stop address, pc $CFF9", 0),
            0u)
      << run.output;
  EXPECT_EQ(readfile(work / "top.bin"), code);
  EXPECT_EQ(screenrows(boot({}))[3], "!");
}

// A program of bytes that do not crunch.
filebytes noise(std::uint16_t address, std::size_t size) {
  filebytes bytes(size);
  unsigned seed = 7;
  for (std::uint8_t& byte : bytes) {
    seed = seed * 1103515245 + 12345;
    byte = static_cast<std::uint8_t>(seed >> 16);
  }
  return programat(address, bytes);
}

// The disk as another tool might leave it: every block of every file from
// its kept-th on moved to a place of its own, spread over the whole disk in
// an order no layout rule gives (a fixed shuffle of the sectors off the
// directory's track that no kept block holds), with the links, the
// directory's entries and the BAM following.
d64image scattered(const d64image& image, int kept) {
  struct link {
    std::uint8_t* at;
    int track, sector;
  };
  d64image moved = image;
  std::vector<link> movedlinks;
  std::set<std::pair<int, int>> keptplaces;
  for (int track = directorytrack, sector = 1; track != 0;) {
    std::uint8_t* entries = sectorat(moved, track, sector);
    for (int entry = 2; entry < sectorsize; entry += 32) {
      if (entries[entry] == 0) continue;
      std::uint8_t* at = &entries[entry + 1];
      for (int block = 0; at[0] != 0; ++block) {
        if (block >= kept) {
          movedlinks.push_back({at, at[0], at[1]});
          break;
        }
        keptplaces.emplace(at[0], at[1]);
        at = sectorat(moved, at[0], at[1]);
      }
    }
    track = entries[0];
    sector = entries[1];
  }

  std::vector<std::pair<int, int>> places;
  for (int track = 1; track <= image.tracks; ++track) {
    if (track == directorytrack) continue;
    for (int sector = 0; sector < sectorspertrack(track); ++sector)
      if (keptplaces.count({track, sector}) == 0)
        places.emplace_back(track, sector);
  }
  unsigned seed = 11;
  for (std::size_t i = places.size() - 1; i > 0; --i) {
    seed = seed * 1103515245 + 12345;
    std::swap(places[i], places[(seed >> 8) % (i + 1)]);
  }
  for (const auto& [track, sector] : places)
    std::fill_n(sectorat(moved, track, sector), sectorsize, 0);
  std::size_t taken = 0;
  for (const link& first : movedlinks) {
    std::uint8_t* at = first.at;
    for (int from = first.track, sector = first.sector; from != 0;) {
      const std::uint8_t* block = sectorat(image, from, sector);
      const auto [to, place] = places.at(taken++);
      std::copy_n(block, sectorsize, sectorat(moved, to, place));
      at[0] = static_cast<std::uint8_t>(to);
      at[1] = static_cast<std::uint8_t>(place);
      at = sectorat(moved, to, place);
      from = block[0];
      sector = block[1];
    }
  }

  std::uint8_t* bam = sectorat(moved, directorytrack, 0);
  for (int track = 1; track <= 35; ++track) {
    if (track == directorytrack) continue;
    std::uint8_t* entry = &bam[4 * track];
    std::fill_n(entry, 4, 0);
    for (int sector = 0; sector < sectorspertrack(track); ++sector) {
      if (std::find(places.begin() + static_cast<std::ptrdiff_t>(taken),
                    places.end(),
                    std::make_pair(track, sector)) == places.end())
        continue;
      ++entry[0];
      entry[1 + sector / 8] |= static_cast<std::uint8_t>(1 << sector % 8);
    }
  }
  return moved;
}

// Every block moved, and only the blocks after a file's fourth: the drive
// takes a part whose second block lies where the disk tool puts it to lie
// so throughout, and has to notice the link that says otherwise.
TEST_F(boottest, PartsScatteredOverTheDiskLoadByteForByte) {
  for (const int kept : {0, 4, 24}) {
    SCOPED_TRACE("blocks kept in place: " + std::to_string(kept));
    const filebytes big = noise(0x2000, 12000);
    builddisk({{"a", printer(0x0801, 'A')},
               {"big", big},
               {"c", printer(0x0801, 'C')}},
              "a.prg 0801\nbig.prg\nc.prg 0801\n");
    const fs::path disk = work / "out" / "tarv.d64";
    const d64image image = scattered(readimage(disk.string()), kept);
    ASSERT_EQ(readchain(image, *findfile(directory(image), "BA")),
              readfile(work / "out" / "BA.PRG"));
    writefile(disk, image.bytes);

    const programrun run = boot({"--dump", dumpof(big, "big.bin")});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(screenrows(run)[3], "AC") << run.output;
    EXPECT_EQ(readfile(work / "big.bin"),
              filebytes(big.begin() + 2, big.end()));
    EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0),
              0u);
  }
}

// 16 KB of noise crunch to about as much, on three tracks whose blocks
// the drive takes as they pass: pieces from below come before the ones
// above them, and the decruncher, quick on such data, waits at each piece
// till the drive has sent every one above it.
TEST_F(boottest, PiecesThatComeEarlyWaitForTheOnesAboveThem) {
  const filebytes big = noise(0x2000, 16000);
  builddisk({{"big", big}, {"c", printer(0x0801, 'C')}},
            "big.prg\nc.prg 0801\n");

  const programrun run = boot({"--dump", dumpof(big, "big.bin")});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(screenrows(run)[3], "C") << run.output;
  EXPECT_EQ(readfile(work / "big.bin"), filebytes(big.begin() + 2, big.end()));
}

TEST_F(boottest, APartThatCannotBeReadEndsInLoadError) {
  // BA left off the disk, or one of its blocks marked in the error table:
  // 2 (the DOS's 20) a header not found, 5 (23) a data block's checksum
  // wrong, 4 (22) no data block.
  struct fault {
    const char* statement;
    std::size_t block;  // of BA
    std::uint8_t code;  // 0: no BA
  };
  for (const fault& f :
       {fault{"a missing part", 0, 0},
        fault{"a missing header on the part's first block", 0, 2},
        fault{"a bad checksum in the middle of its data", 2, 5},
        fault{"no data block at its end", 4, 4}}) {
    SCOPED_TRACE(f.statement);
    builddisk({{"a", printer(0x0801, 'A')}, {"b", noise(0x2000, 1000)}},
              "a.prg 0801\nb.prg\n");
    const fs::path disk = work / "out" / "tarv.d64";
    if (f.code == 0) {
      writetext(work / "list.txt",
                "out/BOOT.PRG BOOT.PRG\nout/AA.PRG AA.PRG\n");
      ASSERT_EQ(runprogram(program / "makedisk.exe",
                           {"out/tarv.d64", "list.txt"}, work)
                    .status,
                0);
    } else {
      const std::vector<std::size_t> chain =
          chainof(readimage(disk.string()), "BA");
      ASSERT_EQ(chain.size(), 5u);
      filebytes withtable = readfile(disk);
      std::vector<std::uint8_t> table(static_cast<std::size_t>(sectorcount(35)),
                                      1);
      table[chain[f.block]] = f.code;
      withtable.insert(withtable.end(), table.begin(), table.end());
      writefile(disk, withtable);
    }

    const programrun run = boot(cleanenddumps);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(screenrows(run)[3], "ALOAD ERROR BA") << run.output;
    EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0), 0u);
    expectcleanend(work);
  }
}

TEST_F(boottest, ItRelievesOnNoKernalOrDosInternals) {
  // A part whose decrunching outlasts many frames of the KERNAL's timer
  // interrupt, between two that print.
  filebytes big = readfile(built("corpus") / "combined.prg");
  big.push_back(0x60);
  const unsigned start = 0x0801 + static_cast<unsigned>(big.size()) - 3;
  builddisk(
      {{"a", printer(0xCC00, 'A')}, {"big", big}, {"c", printer(0xCD00, 'C')}},
      "a.prg cc00\nbig.prg " + hex4(start) + "\nc.prg cd00\n");
  struct machinecase {
    const char* quirk;
    const char* drive;
  };
  for (const machinecase& m : {machinecase{"interrupt-entries", "1541"},
                               machinecase{"interrupt-entries", "dos"},
                               machinecase{"unlisten-holds-clk", "1541"},
                               machinecase{"clall-closes", "1541"},
                               machinecase{"stale-track", "1541"}}) {
    SCOPED_TRACE(std::string(m.quirk) + " on " + m.drive);
    const programrun run = bootwith(
        m.drive, {"--quirk", m.quirk, "--dump", dumpof(big, "big.bin")});
    EXPECT_EQ(screenrows(run)[3], "AC") << run.output;
    EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0), 0u);
    // The end empties the BASIC program at $0801.
    EXPECT_EQ(readfile(work / "big.bin"), [&] {
      filebytes expected(big.begin() + 2, big.end());
      expected[0] = expected[1] = 0;
      return expected;
    }());
    const std::string line = stopline(run);
    EXPECT_EQ(line.find(", drive ") != std::string::npos &&
                  line.find(", drive 0 cycles") == std::string::npos,
              std::string(m.drive) == "1541")
        << "the path the drive calls for";
  }
}

TEST_F(boottest, ShiftHeldLoadsThroughTheKernalOnA1541) {
  builddisk({{"a", printer(0x0801, 'A')}}, "a.prg 0801\n");

  const programrun run = bootwith("1541", {"--hold-shift"});

  EXPECT_EQ(screenrows(run)[3], "A") << run.output;
  EXPECT_NE(stopline(run).find(", drive 0 cycles"), std::string::npos)
      << "no drive code ran";
}

TEST_F(boottest, AnEmptyPartListReturnsAtOnce) {
  builddisk({}, "");

  const programrun run = boot({});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(screenrows(run).size(), 1u) << run.output;
  EXPECT_EQ(stopline(run).rfind("stop: returned to BASIC, pc $E37B", 0), 0u);
}

}  // namespace
