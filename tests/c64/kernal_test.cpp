#include "kernal.h"

#include <gtest/gtest.h>

#include <string>

#include "d64.h"
#include "machine.h"

namespace {

constexpr std::uint16_t SETLFS = 0xFFBA, SETNAM = 0xFFBD, OPEN = 0xFFC0,
                        CLOSE = 0xFFC3, CHKIN = 0xFFC6, CHRIN = 0xFFCF,
                        LOAD = 0xFFD5, READST = 0xFFB7, CHROUT = 0xFFD2,
                        PLOT = 0xFFF0;

diskbytes program(std::uint16_t address, std::size_t size, std::uint8_t first) {
  diskbytes bytes = {static_cast<std::uint8_t>(address),
                     static_cast<std::uint8_t>(address >> 8)};
  for (std::size_t i = 0; i < size; ++i)
    bytes.push_back(static_cast<std::uint8_t>(first + i));
  return bytes;
}

// A C64 with a disk in drive 8 holding three programs, and a way to call
// KERNAL entry points as JSR would.
class kernaltest : public ::testing::Test {
 protected:
  void SetUp() override {
    c64.rom.disk = &disk;
    resetkernal(c64.rom, c64.bus);
  }

  void call(std::uint16_t entry) {
    c64.processor.sp = 0xFF;
    c64.processor.push(0x12);
    c64.processor.push(0x33);
    ASSERT_TRUE(callkernal(c64.rom, c64.processor, c64.bus, entry));
    EXPECT_EQ(c64.processor.pc, 0x1234);
  }

  void setname(const std::string& name) {
    std::copy(name.begin(), name.end(), c64.bus.ram.begin() + 0x0340);
    c64.processor.a = static_cast<std::uint8_t>(name.size());
    c64.processor.x = 0x40;
    c64.processor.y = 0x03;
    call(SETNAM);
  }

  void setfile(std::uint8_t logical, std::uint8_t device,
               std::uint8_t secondary) {
    c64.processor.a = logical;
    c64.processor.x = device;
    c64.processor.y = secondary;
    call(SETLFS);
  }

  // LOAD of the named file to X/Y (secondary address 0) or to its own
  // address (1).
  void load(const std::string& name, std::uint8_t secondary,
            std::uint16_t to = 0, std::uint8_t device = 8) {
    setname(name);
    setfile(1, device, secondary);
    c64.processor.a = 0;
    c64.processor.x = static_cast<std::uint8_t>(to);
    c64.processor.y = static_cast<std::uint8_t>(to >> 8);
    call(LOAD);
  }

  // OPEN and CHKIN of the named file as logical file and channel 2.
  void openforreading(const std::string& name) {
    setname(name);
    setfile(2, 8, 2);
    call(OPEN);
    ASSERT_FALSE(carry());
    c64.processor.x = 2;
    call(CHKIN);
    ASSERT_FALSE(carry());
  }

  bool carry() const { return c64.processor.p & carryflag; }
  std::uint8_t status() const { return c64.bus.ram[0x90]; }
  std::uint16_t xy() const {
    return static_cast<std::uint16_t>(c64.processor.x | c64.processor.y << 8);
  }

  const diskbytes intro = program(0x0801, 300, 1);
  const diskbytes music = program(0x1000, 40, 7);
  const diskbytes high = program(0xC000, 600, 3);
  drive disk = makedrive(
      buildimage("TEST", "00",
                 {{"INTRO", intro}, {"MUSIC", music}, {"HIGH", high}}),
      false);
  machine c64{false};
};

TEST_F(kernaltest, LoadToTheFilesOwnAddress) {
  load("MUSIC", 1);
  EXPECT_FALSE(carry());
  EXPECT_EQ(
      diskbytes(c64.bus.ram.begin() + 0x1000, c64.bus.ram.begin() + 0x1028),
      diskbytes(music.begin() + 2, music.end()));
  EXPECT_EQ(xy(), 0x1028);
  EXPECT_EQ(c64.bus.ram[0xAE] | c64.bus.ram[0xAF] << 8, 0x1028);
  EXPECT_EQ(status(), 0x40);
  EXPECT_EQ(c64.rom.drivecycles,
            20000 + 42 * cyclesperbyte);  // the search, then the bytes
}

TEST_F(kernaltest, LoadWithSecondaryAddressZeroGoesToXY) {
  load("MUSIC", 0, 0x2000);
  EXPECT_FALSE(carry());
  EXPECT_EQ(c64.bus.ram[0x2000], 7);
  EXPECT_EQ(c64.bus.ram[0x1000], 0);
  EXPECT_EQ(xy(), 0x2028);
}

TEST_F(kernaltest, LoadMatchesWildcards) {
  for (const std::string pattern :
       {"MUS*", "M?SIC", "0:MUSIC", "MUSIC,P", "*USIC"}) {
    SCOPED_TRACE(pattern);
    c64.bus.ram[0x1000] = 0;
    load(pattern, 1);
    if (pattern == "*USIC") {  // "*" matches everything from there on
      EXPECT_EQ(c64.bus.ram[0x0801], 1);
      continue;
    }
    EXPECT_FALSE(carry());
    EXPECT_EQ(c64.bus.ram[0x1000], 7);
  }
}

TEST_F(kernaltest, LoadFailuresSetCarryAndTheErrorNumber) {
  struct failing {
    const char* name;
    std::uint8_t device;
    std::uint8_t error;
    std::uint8_t status;
  };
  for (const failing& c :
       {failing{"NOTHERE", 8, 4, 0x42}, failing{"MUSIC,S", 8, 4, 0x42},
        failing{"MUSIC", 9, 5, 0x80}, failing{"", 8, 8, 0x00},
        failing{"MUSIC", 3, 9, 0x00}}) {
    SCOPED_TRACE(c.name);
    load(c.name, 1, 0, c.device);
    EXPECT_TRUE(carry());
    EXPECT_EQ(c64.processor.a, c.error);
    EXPECT_EQ(status(), c.status);
  }
}

TEST_F(kernaltest, LoadIntoIoLeavesTheRamBeneathAlone) {
  load("HIGH", 0, 0xCF00);
  EXPECT_FALSE(carry());
  EXPECT_EQ(c64.bus.ram[0xCFFF], static_cast<std::uint8_t>(3 + 0xFF));
  EXPECT_EQ(c64.bus.ram[0xD000], 0);  // I/O took it
  EXPECT_EQ(xy(), 0xCF00 + 600);
}

TEST_F(kernaltest, OpenedFileStreamsItsBytesThenEndOfFile) {
  openforreading("MUSIC");
  diskbytes read;
  while (status() == 0) {
    call(CHRIN);
    read.push_back(c64.processor.a);
  }
  EXPECT_EQ(read, music);
  EXPECT_EQ(status(), 0x40);
  call(READST);
  EXPECT_EQ(c64.processor.a, 0x40);
  c64.processor.a = 2;
  call(CLOSE);
  EXPECT_TRUE(c64.rom.files.empty());
}

TEST_F(kernaltest, OpeningAMissingFileSucceedsButReadsNothing) {
  openforreading("NOTHERE");
  call(CHRIN);
  EXPECT_EQ(status(), 0x42);
  // The command channel tells why.
  setname("");
  setfile(15, 8, 15);
  call(OPEN);
  c64.processor.x = 15;
  call(CHKIN);
  std::string message;
  do {
    call(CHRIN);
    message += static_cast<char>(c64.processor.a);
  } while (c64.processor.a != 0x0D);
  EXPECT_EQ(message, "62,FILE NOT FOUND,00,00\r");
}

TEST_F(kernaltest, OpenRefusesAbsentDevicesAndTakenNumbers) {
  setname("MUSIC");
  setfile(2, 9, 2);
  call(OPEN);
  EXPECT_TRUE(carry());
  EXPECT_EQ(c64.processor.a, 5);
  setfile(2, 8, 2);
  call(OPEN);
  EXPECT_FALSE(carry());
  call(OPEN);
  EXPECT_TRUE(carry());
  EXPECT_EQ(c64.processor.a, 2);
  c64.processor.x = 3;
  call(CHKIN);
  EXPECT_TRUE(carry());
  EXPECT_EQ(c64.processor.a, 3);
}

TEST_F(kernaltest, ChroutPrintsAndPlotMovesTheCursor) {
  for (const char c : std::string("HELLO\r\x12OK")) {
    c64.processor.a = static_cast<std::uint8_t>(c);
    call(CHROUT);
  }
  EXPECT_EQ(c64.bus.ram[0x0400], 8);          // H
  EXPECT_EQ(c64.bus.ram[0x0428], 0x80 | 15);  // a reversed O on row 1
  c64.processor.p |= carryflag;
  call(PLOT);
  EXPECT_EQ(c64.processor.x, 1);
  EXPECT_EQ(c64.processor.y, 2);
  c64.processor.p &= ~carryflag;
  c64.processor.x = 24;
  c64.processor.y = 39;
  call(PLOT);
  c64.processor.a = 0x92;  // reverse off
  call(CHROUT);
  c64.processor.a = 'Z';
  call(CHROUT);
  c64.processor.a = 'Y';
  call(CHROUT);  // past the last cell: the screen scrolls
  EXPECT_EQ(c64.bus.ram[0x0400 + 23 * 40 + 39], 26);
  EXPECT_EQ(c64.bus.ram[0x0400 + 24 * 40], 25);
  EXPECT_EQ(c64.bus.ram[0x0400], 0x80 | 15);
}

TEST(kernal, UnmodelledEntryPointsAreRefused) {
  machine c64{false};
  EXPECT_FALSE(callkernal(c64.rom, c64.processor, c64.bus, 0xFFD8));  // SAVE
}

}  // namespace
