#pragma once
// The indented outline of a GPI file: one line per record, two blanks of
// indentation per nesting level, texts converted to UTF-8.
#include <ostream>

#include "dump/DumpFormat.h"
#include "gpi/GpiReader.h"

namespace kestro {

void PrintOutline(const TGpiFile& file, const TDumpOptions& options, std::ostream& out);

}  // namespace kestro
