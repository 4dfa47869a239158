#pragma once
#include <string>

#include "gpi/Bytes.h"

namespace kestro {

// One group source (a sub-folder path ending in "/", or a loose GPX file) as
// a complete group record; empty when none of its files held a waypoint.
Bytes BuildGroup(const std::string& path);

}  // namespace kestro
