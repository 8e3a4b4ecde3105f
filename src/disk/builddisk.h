#pragma once

#include <string>

// Builds a part for every line of the part list into the output directory
// (AA.PRG, BA.PRG, ...), saves the boot program with its part table there as
// BOOT.PRG, and has the disk tool put them all on OUTDIR\tarv.d64.
void builddisk(const std::string& listpath, const std::string& outputdir);
