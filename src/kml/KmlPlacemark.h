#pragma once
// What one KML placemark holds: its texts, its ExtendedData values mapped by
// the column names of CSV lists, and the points of its geometry.
#include <cstdint>
#include <string>
#include <vector>

#include "waypoints/WaypointFields.h"
#include "xml/UKestroXML.h"

namespace kestro {

// Geometries that are no points, counted per kind for the file's note.
struct TKmlNotPoints {
    std::int64_t Lines = 0;     // LineString, LinearRing, gx:Track
    std::int64_t Polygons = 0;
    std::int64_t Models = 0;
    std::int64_t Overlays = 0;  // GroundOverlay, ScreenOverlay, PhotoOverlay
    std::int64_t NetworkLinks = 0;
    std::int64_t Unplaced = 0;  // placemarks without any geometry
    // "3 lines and 1 polygon"; empty when all are 0.
    std::string Text() const;
};

// The fields of a placemark (texts in the working code page), without a
// position or an icon.
TWaypointFields PlacemarkFields(IXmlNode& placemark);

// The "coordinates" texts of the placemark's points, a MultiGeometry's each;
// what is no point is counted into `notPoints`.
std::vector<std::string> PlacemarkPoints(IXmlNode& placemark, TKmlNotPoints& notPoints);

// Sets the position from a "lon,lat[,alt]" text, or says in
// CoordinateProblem why it is unusable.
void ReadKmlCoordinates(const std::string& text, TWaypointFields& waypoint);

// The element's name without a namespace prefix ("kml:Placemark" gives "Placemark").
std::string_view LocalName(const std::string& name);

}  // namespace kestro
