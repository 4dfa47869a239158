#pragma once
#include <string>

#include "gpi/Bytes.h"

namespace kestro {

// The group record of one group source: a folder path ending in "/" (one
// category per GPX file in it) or the path of one loose GPX file. Empty when
// the group has nothing to write.
Bytes BuildGroup(const std::string& path);

}  // namespace kestro
