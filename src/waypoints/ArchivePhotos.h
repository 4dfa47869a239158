#pragma once
// Photos that a waypoint's links name inside its file's archive (a KMZ):
// embedded from the bytes the reader took out, never looked up on disk.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gpi/PoiWpt.h"
#include "waypoints/WaypointFields.h"

namespace kestro {

// Adds each photo after those of the point's other links, made into a JPEG
// as a photo file is (maxSide: the "photosize" setting). `warn` gets the
// cause and text of each file that cannot serve: no photo, or a picture
// that cannot be read.
void AddArchivePhotos(const std::vector<TLinkedContent>& contents, std::uint32_t maxSide, TPoiWpt& point,
                      const std::function<void(const std::string& cause, const std::string& text)>& warn);

}  // namespace kestro
