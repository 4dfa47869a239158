#pragma once
// A picture of one group's area tree: one box (class "area") per area record
// and one circle (class "point", alert points also "alert") per point, drawn
// in an equirectangular projection scaled to 1000 pixels.
#include <cstddef>
#include <ostream>

#include "gpi/GpiReader.h"

namespace kestro {

// groupIndex counts from 0 and must be below file.Groups.size().
void WriteSvg(const TGpiFile& file, std::size_t groupIndex, std::ostream& out);

}  // namespace kestro
