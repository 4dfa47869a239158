#pragma once
// Reads the waypoints of one group's GPX files into the group's point store.
#include <string>

#include "pipeline/GroupOutput.h"
#include "waypoints/WaypointReader.h"
#include "waypoints/WaypointFields.h"
#include "xml/UKestroXML.h"

namespace kestro {

class TGpxParser : public TWaypointReader {
public:
    explicit TGpxParser(TGroupOutput& output);

    // Reads one GPX file: every finished "wpt" is encoded, stored and emptied
    // while the file is still being read; each finished element outside one
    // leaves the tree, so the tree holds little more than the open elements,
    // however long the file. `watch`, when given, sees each element end after
    // the reader has handled it.
    void LoadFile(const std::string& path, const TXmlElementHandler& watch = {});
    // The icon of a waypoint: the first linked ".bmp" file, the file named
    // after the GPX file in the first linked folder that has one, or the BMP
    // beside the GPX file (whether or not it exists).
    std::string FindLinkedFile(IXmlNode& node, const std::string& extension);
    using TWaypointReader::FindLinkedFile;

private:
    // The element-end handler LoadFile installs.
    TXmlElementHandler ElementHandler();
    // Reads or empties a finished element; false when it lies inside a
    // "wpt", whose reading still needs it.
    bool ElementEnded(IXmlNode& node);
    void ReadLoadedTree(IXmlNode& document);
    void ReadWaypoint(IXmlNode& node);
    // Warns that the file at path holds no element.
    void TellNotGpx(const std::string& path);
};

// The fields of a "wpt" element.
TWaypointFields WaypointFieldsOf(IXmlNode& node);

}  // namespace kestro
