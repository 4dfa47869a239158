#pragma once
// A picture of one group: an equirectangular plot (longitudes scaled by the
// cosine of the middle latitude) with a margin, latitude and longitude ticks,
// one box (data-kind "area") per area record, the points coloured by category
// with a legend, and a red ring for a point with an alert record. Each point
// is a circle (data-kind "point", or "alert") up to DensityLimit points; a
// larger group is drawn as the number of points per small cell (data-kind
// "density", with data-count and data-alerts). Styles are plain attributes
// without classes, so that simple renderers (ImageMagick's) draw it too.
#include <cstddef>
#include <ostream>

#include "gpi/GpiReader.h"

namespace kestro {

constexpr std::size_t SvgDensityLimit = 20000;

// groupIndex counts from 0 and must be below file.Groups.size().
void WriteSvg(const TGpiFile& file, std::size_t groupIndex, std::ostream& out);

}  // namespace kestro
