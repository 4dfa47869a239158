#pragma once
// A picture of one group's area tree: one box (data-kind "area") per area
// record and one circle per point (data-kind "point"; "alert", larger and red,
// for a point with an alert record), drawn in an equirectangular projection
// whose longer side is 1000 pixels. Styles are plain attributes and there are
// no class attributes, so that simple renderers (ImageMagick's) draw it too.
#include <cstddef>
#include <ostream>

#include "gpi/GpiReader.h"

namespace kestro {

// groupIndex counts from 0 and must be below file.Groups.size().
void WriteSvg(const TGpiFile& file, std::size_t groupIndex, std::ostream& out);

}  // namespace kestro
