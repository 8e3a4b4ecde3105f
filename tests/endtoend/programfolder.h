#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runprogram.h"
#include "testfolder.h"

using toolcall = std::vector<std::string>;

// Each test gets a program folder holding partdisk and the test doubles of
// its tools, and an empty working folder to run it from.
class programfolder : public ::testing::Test {
 protected:
  void SetUp() override;

  // Runs partdisk with the arguments from the working folder.
  programrun partdisk(const std::vector<std::string>& arguments) const;

  // Runs partdisk through another program, such as a shell that limits it:
  // the launcher's arguments, then partdisk's path, then the arguments.
  programrun partdiskvia(const std::vector<std::string>& launcher,
                         const std::vector<std::string>& arguments) const;

  // The program folder as partdisk sees it, with its trailing separator.
  std::string programdir() const;

  // Each call of the double, its argument vector from argument 0 on.
  std::vector<toolcall> calls(const std::string& logname) const;

  // Sets the cruncher double's behaviour: "copy" (its source), "slow",
  // "one" (byte), "none" or "abort"; tests/doubles/exomizer.cpp has them all.
  void setcruncher(const std::string& mode) const;

  // A source program and the header text beside it in the working folder.
  void writesource(const std::string& name, const filebytes& program,
                   std::size_t headersize = 120) const;

  testfolder root;
  fs::path program = root.path() / "program";
  fs::path work = root.path() / "work";
};

// A file name whose writes all fail as on a full disk.
std::string fulldisk();

// The message as partdisk prints it, with the platform's line end.
std::string failureline(const std::string& message);

// A header text of the given size: printable and different at every offset
// that matters.
filebytes headertext(std::size_t size);
