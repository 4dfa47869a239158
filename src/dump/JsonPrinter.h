#pragma once
// The same content as the outline, as one JSON document with a fixed key
// order. Offsets are decimal byte offsets; positions come in degrees (seven
// decimals) and in semicircles; localized texts are lists of
// [language, text] pairs.
#include <ostream>

#include "dump/DumpFormat.h"
#include "gpi/GpiReader.h"

namespace kestro {

void PrintJson(const TGpiFile& file, const TDumpOptions& options, std::ostream& out);

}  // namespace kestro
