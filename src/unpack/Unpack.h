#pragma once
// kestro-dump --unpack: a GPI file taken apart into a source folder that the
// converter builds back into the same file.
#include <ostream>
#include <string>

#include "gpi/GpiReader.h"

namespace kestro {

// Writes the folder `dir` (created; an existing one must be empty), prints a
// line per group and a summary on out. Returns 0 when everything was
// carried, 1 when something was not (the summary counts it by kind).
int UnpackGpi(const TGpiFile& file, const std::string& fileName, const std::string& dir, std::ostream& out);

// The name the closing line proposes for the file built back: "NAME.rebuilt.gpi"
// for "FOLDER/NAME.gpi", never the original's name.
std::string RebuiltFileName(const std::string& fileName);

}  // namespace kestro
