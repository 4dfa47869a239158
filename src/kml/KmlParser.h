#pragma once
// Reads the placemarks of one KML document as it streams in: each point
// placemark's fields go to `take` the moment it ends, with its folder path
// and its style's icon, and finished elements leave the tree, so memory
// stays that of one placemark and the styles, however long the file. A
// placemark naming a style not met yet is held, as fields only, until the
// document ends and every style is known.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "kml/KmlPlacemark.h"
#include "waypoints/WaypointFormat.h"
#include "xml/UKestroXML.h"

namespace kestro {

// Makes a style's icon (an href as written, not on the web) the waypoint's:
// a path beside the file, or a picture inside its archive.
using TKmlIconSource = std::function<void(const std::string& href, TWaypointFields& waypoint)>;

// The most points held for styles defined further on: some 90 MB of fields.
// A file naming more is hand-written beyond reason or hostile; the rest go
// on at once without the icon, counted in a note.
constexpr std::size_t MaxHeldKmlPoints = 100000;

class TKmlParser {
public:
    TKmlParser(TWaypointTaker take, IFileFindings& findings, TKmlIconSource icons,
               std::size_t heldLimit = MaxHeldKmlPoints);
    // Loads the document through `load` (which fills the document it is
    // given, from a file or a stream) and hands its points on; returns the
    // points met.
    std::int32_t Read(const std::function<void(IXmlDocument&)>& load, const TReadProgress& progress);
    // Tells the notes about what was not converted; after Read, also when it failed.
    void TellNotes();
    // The points met so far.
    std::int32_t Points() const { return count_; }
    // Whether any element was read at all.
    bool AnyElement() const { return elements_ > 0; }

private:
    void ElementEnded(const TXmlPtr<IXmlNode>& node);
    void ReadPlacemark(IXmlNode& placemark);
    // Hands on the held placemarks' points with their styles' icons.
    void TakeHeld();
    void ReadStyle(IXmlNode& style);
    void ReadStyleMap(IXmlNode& map);
    // The icon href a "#id" style reference gives; none: no style of that id is known.
    std::optional<std::string> StyleIcon(const std::string& url, int depth = 0) const;
    void GiveIcon(const std::string& href, TWaypointFields& waypoint);

    TWaypointTaker take_;
    IFileFindings& findings_;
    TKmlIconSource icons_;
    std::int32_t count_ = 0;      // points met
    std::int64_t elements_ = 0;   // elements ended
    TKmlNotPoints notPoints_;
    std::map<std::string, std::string> styles_;     // icon href by Style id ("": a style without icon)
    std::map<std::string, std::string> styleMaps_;  // the "normal" style reference by StyleMap id
    std::map<std::string, std::string> mapIcons_;   // or its inline style's icon href
    std::set<std::string> webIcons_;                // icons on the web, not fetched
    std::int64_t unknownStyles_ = 0;                // placemarks naming a style the file does not define
    struct THeld {
        std::string StyleUrl;
        std::vector<TWaypointFields> Waypoints;  // one per point of its geometry
    };
    std::vector<THeld> held_;                        // placemarks naming a "#id" style not met yet
    std::size_t heldPoints_ = 0;                     // their points
    std::size_t heldLimit_;
    std::int64_t notHeld_ = 0;                       // placemarks past the limit, taken without waiting
};

}  // namespace kestro
