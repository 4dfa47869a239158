#pragma once
// The languages the texts of a GPI file are written in.
#include <vector>

#include "gpi/GpiReader.h"

namespace kestro {

// The codes the file's texts use, in the order of the entries of its text
// with the most of them, then any other codes in reading order. Empty when
// every text is one "EN" entry, as kestro writes without its "languages"
// setting. Codes that are not two ASCII letters cannot be set and are left out.
std::vector<Bytes> FileLanguages(const TGpiFile& file);

}  // namespace kestro
