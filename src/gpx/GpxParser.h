#pragma once
// Reads the waypoints of a GPX file (text or the XML library's binary form)
// and hands each one's fields on; routes, tracks and everything else are
// passed over, and finished elements leave the tree while it is read.
#include <cstdint>
#include <string>

#include "waypoints/WaypointFormat.h"
#include "xml/UKestroXML.h"

namespace kestro {

// The GPX reader of the waypoint format shape: returns the waypoints met.
std::int32_t ReadGpxWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                              IFileFindings& findings);

// The fields of one "wpt" element, texts in the working code page.
TWaypointFields WaypointFieldsOf(IXmlNode& node);

class TGpxParser {
public:
    TGpxParser(TWaypointTaker take, TReadProgress progress, IFileFindings& findings);
    // Reads path; returns the waypoints met.
    std::int32_t LoadFile(const std::string& path);
    // What LoadFile has a text document call as each element ends: reads the
    // waypoints and empties what it is done with, so that the tree holds
    // only the open elements and the waypoint being read.
    TXmlElementHandler ElementHandler();

private:
    // Reads a waypoint that has ended, or empties what is not one; false
    // when the element lies inside a waypoint still to be read.
    bool ElementEnded(IXmlNode& node);
    void ReadLoadedTree(IXmlNode& document);
    void ReadWaypoint(IXmlNode& node);
    void TellNotGpx(const std::string& path);

    TWaypointTaker take_;
    TReadProgress progress_;
    IFileFindings& findings_;
    std::int32_t count_ = 0;  // waypoints met in the file being read
};

}  // namespace kestro
