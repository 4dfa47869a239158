#pragma once
#include <string>

#include "gpx/GroupOutput.h"
#include "platform/Bytes.h"

namespace kestro {

// One group source (a sub-folder path ending in "/", or a loose GPX file) as
// a complete group record; empty when none of its files held a waypoint.
// Its progress lines, warnings and notes go to output.
Bytes BuildGroup(const std::string& path, TGroupOutput& output);

}  // namespace kestro
