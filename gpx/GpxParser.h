#pragma once
// Reads the waypoints of one group's GPX files into the group's point store.
#include <string>

#include "gpx/GroupOutput.h"
#include "gpx/GroupReader.h"
#include "gpx/WaypointFields.h"
#include "xml/UKestroXML.h"

namespace kestro {

class TGpxParser : public TGroupReader {
public:
    explicit TGpxParser(TGroupOutput& output);

    // Reads one GPX file: every finished "wpt" is encoded, stored and emptied
    // while the file is still being read.
    void LoadFile(const std::string& path);
    // The element-end handler LoadFile installs: reads each finished "wpt"
    // and drops from the tree every finished element outside one, so the
    // tree holds little more than the open elements, however long the file.
    TXmlElementHandler ElementHandler();
    // The icon of a waypoint: the first linked ".bmp" file, the file named
    // after the GPX file in the first linked folder that has one, or the BMP
    // beside the GPX file (whether or not it exists).
    std::string FindLinkedFile(IXmlNode& node, const std::string& extension);
    using TGroupReader::FindLinkedFile;

private:
    // Reads or empties a finished element; false when it lies inside a
    // "wpt", whose reading still needs it.
    bool ElementEnded(IXmlNode& node);
    void ReadLoadedTree(IXmlNode& document);
    void ReadWaypoint(IXmlNode& node);
};

// The fields of a "wpt" element.
TWaypointFields WaypointFieldsOf(IXmlNode& node);

}  // namespace kestro
