#pragma once
#include <ostream>
#include <string>

#include "platform/Bytes.h"

namespace kestro {

// One group source (a sub-folder path ending in "/", or a loose GPX file) as
// a complete group record; empty when none of its files held a waypoint.
// Progress lines go to `progress`.
Bytes BuildGroup(const std::string& path, std::ostream& progress);

}  // namespace kestro
