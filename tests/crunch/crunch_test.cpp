#include "crunch.h"

#include <gtest/gtest.h>

#include <random>

#include "c64programs.h"
#include "roundtrip.h"
#include "runprogram.h"
#include "testfolder.h"

namespace {

const programbytes& decruncher() {
  static const programbytes binary =
      readbinary((built("testbin") / "decrunch.bin").string());
  return binary;
}

programbytes randombytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  programbytes content(size);
  for (std::uint8_t& byte : content)
    byte = static_cast<std::uint8_t>(generator());
  return content;
}

// A program's crunched form decrunches through the 6502 decruncher and the
// reference decruncher to exactly the program, touching nothing else, and
// loads below the program's first byte.
void expectroundtrip(const programbytes& program) {
  const roundtrip trip = crunchanddecrunch(program, decruncher());
  EXPECT_EQ(trip.problem, "");
  const std::uint32_t start = program[0] | program[1] << 8;
  const std::uint32_t load = trip.crunched[0] | trip.crunched[1] << 8;
  EXPECT_LT(load, start);
  EXPECT_GE(load, lowestload);
}

TEST(crunch, EveryCorpusProgramRoundTrips) {
  int programs = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(built("corpus"))) {
    if (entry.path().extension() != ".prg") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const programbytes program = readbinary(entry.path().string());
    expectroundtrip(program);
    ++programs;
  }
  EXPECT_GE(programs, 25);
}

struct edgecase {
  const char* name;
  programbytes program;
};

class edges : public ::testing::TestWithParam<edgecase> {};

TEST_P(edges, RoundTrip) { expectroundtrip(GetParam().program); }

INSTANTIATE_TEST_SUITE_P(
    crunch, edges,
    ::testing::Values(
        edgecase{"empty", programat(0x0801, {})},
        edgecase{"one_byte", programat(0x0801, {0x60})},
        edgecase{"two_bytes", programat(0x0801, {0x60, 0x60})},
        edgecase{"bytes_255", programat(0x0801, randombytes(255, 1))},
        edgecase{"bytes_256", programat(0x0801, randombytes(256, 2))},
        edgecase{"bytes_257", programat(0x0801, randombytes(257, 3))},
        edgecase{"one_value_50k", programat(0x0801, programbytes(50000, 0xAA))},
        edgecase{"random_50k", programat(0x0801, randombytes(50000, 4))},
        edgecase{"ending_at_ffff",
                 programat(0x10000 - 3000, randombytes(3000, 5))},
        edgecase{"beneath_io", programat(0xD400, randombytes(3072, 9))},
        edgecase{"starting_just_above_the_floor",
                 programat(0x0480, programbytes(2000, 0x20))},
        // A pattern repeats at each distance where the offset's code
        // grows, at the longest offset and one beyond it.
        edgecase{"offsets_where_their_code_changes",
                 programat(0x0801,
                           [] {
                             programbytes content = randombytes(40000, 12);
                             std::uint32_t from = 0;
                             for (const std::uint32_t distance :
                                  {128u, 129u, 384u, 385u, 32512u, 32513u}) {
                               std::copy_n(content.begin() + from, 40,
                                           content.begin() + from + distance);
                               from += 1000;
                             }
                             return content;
                           }())},
        edgecase{"literal_runs_of_the_longest_length",
                 programat(0x1000,
                           [] {
                             programbytes content = randombytes(600, 6);
                             content.insert(content.end(), 300, 0);
                             const programbytes more = randombytes(700, 7);
                             content.insert(content.end(), more.begin(),
                                            more.end());
                             return content;
                           }())}),
    [](const auto& info) { return std::string(info.param.name); });

// The example doc/crunch-format.md works through, byte for byte.
TEST(crunch, WritesTheDocumentedExample) {
  EXPECT_EQ(crunchprogram(programat(0x1000, {1, 2, 1, 2, 1, 2})),
            (programbytes{0xFA, 0x0F, 0x05, 0x10, 0x03, 0x10, 0xFE, 0xFF, 0x03,
                          0x01, 0x02, 0x4A}));
}

// A part file's blocks put where the loaders put them: the first block's
// data at the load address, each full block after it 254 bytes further
// down from the data's top, and the file's last block right above the
// first block's data.
programbytes placedasloaded(const programbytes& written) {
  const std::uint32_t load = written[0] | written[1] << 8;
  const std::uint32_t datalast = written[4] | written[5] << 8;
  programbytes memory(datalast + 1 - load);
  const std::size_t first = std::min(written.size() - 2, headdatabytes);
  std::copy_n(written.begin() + 2, first, memory.begin());
  std::size_t top = memory.size();
  for (std::size_t from = 2 + first; from < written.size();
       from += piecebytes) {
    const std::size_t size = std::min(piecebytes, written.size() - from);
    const std::size_t at = from + size == written.size() ? headdatabytes
                                                          : top - size;
    std::copy_n(written.begin() + static_cast<std::ptrdiff_t>(from), size,
                memory.begin() + static_cast<std::ptrdiff_t>(at));
    top -= size;
  }
  return memory;
}

// The pieces above the first block's data, from none to a last block of
// every size, come back to memory's order as the loaders place them.
TEST(crunch, WritesThePiecesInTheOrderTheyAreDecrunched) {
  for (const std::size_t size : {20, 700, 1020, 1021, 1200}) {
    const programbytes crunched =
        crunchprogram(programat(0x1000, randombytes(size, 13)));
    const programbytes written = inpartorder(crunched);
    EXPECT_EQ(written.size(), crunched.size());
    EXPECT_EQ(placedasloaded(written),
              programbytes(crunched.begin() + 2, crunched.end()))
        << size << " bytes";
  }
}

TEST(crunch, RefusesProgramsItCannotDecrunchInPlace) {
  struct refusal {
    programbytes program;
    const char* message;
  };
  for (const refusal& r :
       {refusal{{0x01}, "a program needs a two-byte load address"},
        refusal{programat(0xF000, programbytes(0x1001, 1)),
                "the program runs past $FFFF"},
        refusal{programat(0xC000, randombytes(0x1200, 10)),
                "the program or its crunched data would reach into "
                "$D000-$D2FF, where the loader keeps its decruncher, its end and "
                "its loading"},
        refusal{programat(0xD2F0, randombytes(0x100, 11)),
                "the program or its crunched data would reach into "
                "$D000-$D2FF, where the loader keeps its decruncher, its end and "
                "its loading"},
        refusal{programat(0x0402, randombytes(100, 8)),
                "the program starts too low to decrunch in place: its crunched "
                "data would start below $0400, where the loader lives"}}) {
    try {
      crunchprogram(r.program);
      ADD_FAILURE() << "no error for " << r.message;
    } catch (const cruncherror& error) {
      EXPECT_EQ(std::string(error.what()), r.message);
    }
  }
}

TEST(crunch, CrunchesWhatRepeats) {
  programbytes content;
  for (int i = 0; i < 100; ++i) {
    const programbytes line = {0xA9, 0x01, 0x8D, 0x20, 0xD0, 0xEA};
    content.insert(content.end(), line.begin(), line.end());
  }
  EXPECT_LT(crunchprogram(programat(0x0801, content)).size(), 40u);
}

// The cruncher as partdisk runs it.
class crunchertool : public ::testing::Test {
 protected:
  programrun crunch(const std::vector<std::string>& arguments) const {
    return runprogram(built("bin") / "exomizer.exe", arguments, work);
  }
  testfolder root;
  fs::path work = root.path();
};

TEST_F(crunchertool, WritesTheCrunchedProgram) {
  const programbytes program = programat(0x0801, randombytes(1000, 12));
  writefile(work / "a.prg", program);
  fs::create_directories(work / "out");

  const programrun run =
      crunch({"-l", "auto", "-o", "out\\a.crunched", "a.prg"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(readfile(work / "out" / "a.crunched"),
            inpartorder(crunchprogram(program)));
}

TEST_F(crunchertool, FailsWithoutLeavingOutput) {
  writefile(work / "a.prg", programat(0x0801, programbytes(100, 1)));
  writefile(work / "tiny.prg", {0x01});
  writefile(work / "high.prg", programat(0xF000, programbytes(0x2000, 1)));
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{
           {"-o", "t.crunched", "a.prg"},
           {"-l", "auto", "-o", "t.crunched"},
           {"-l", "auto", "-o", "t.crunched", "missing.prg"},
           {"-l", "auto", "-o", "t.crunched", "tiny.prg"},
           {"-l", "auto", "-o", "t.crunched", "high.prg"},
           {"-l", "auto", "-o", "nofolder/t.crunched", "a.prg"}}) {
    EXPECT_EQ(crunch(arguments).status, 1);
    EXPECT_FALSE(fs::exists(work / "t.crunched"));
  }
}

}  // namespace
