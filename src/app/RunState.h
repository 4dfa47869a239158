#pragma once
// Run-wide settings and statistics of one conversion: set before use, read
// by the driver, the group builder and the area builder.
#include <cstdint>
#include <string>

#include "app/Languages.h"
#include "gpi/CodePage.h"

namespace kestro {

// Process exit code, set stage by stage: 1 wrong argument count, 2 missing
// source folder, 3 settings read, 4 header written, 0 file closed.
extern int ExitCode;

extern std::int32_t MaxRegion;   // most points one area may hold ("maxregion", default 256)
extern bool ReadCsvFiles;        // "*.csv" files are categories and loose-file groups ("csv", default on)
extern std::uint32_t PhotoSize;  // longest photo side in pixels ("photosize", default 0: as they are)
// The languages of the output texts ("languages" and its name sections).
extern TLanguages Languages;

}  // namespace kestro
