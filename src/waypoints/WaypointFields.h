#pragma once
// One waypoint as a reader found it, before the rules that make a point of
// it (the "@" speed suffix, alert defaults, icons and images from links,
// the short description as comment). Texts are in the working code page.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gpi/PoiWpt.h"

namespace kestro {

// The most bytes taken of a file inside an archive that a link names.
constexpr std::uint64_t MaxLinkedContentBytes = 64u << 20;

// A file a link names inside the reader's archive (a KMZ's photo).
struct TLinkedContent {
    std::string Name;  // as shown: "trip.kmz/photos/a.jpg"
    Bytes Content;
};

struct TWaypointFields {
    // Position, name, comment, description, address and contact fields as
    // read, and the texts in further languages as found (in the point's
    // Translations); alerts, icon, images and category come from the rules.
    TPoiWpt Point;
    std::vector<std::string> Links;        // hrefs as written: icons, photos, folders of them
    std::vector<TLinkedContent> LinkedContents;  // links that name files inside the archive, taken out of Links
    std::optional<std::string> Proximity;  // metres, a whole number text
    std::optional<std::string> Speed;      // km/h, a whole number text
    // Why the position is unusable ("latitude \"12,5\" is no number",
    // "longitude missing"); empty when both coordinates are numbers. Such a
    // coordinate reads as 0; the waypoint is not written, and said so.
    std::string CoordinateProblem;
    // The place of each text in a further language, in the order the reader
    // found them (the point's Translations keep the order within a place).
    std::vector<TLocalized> TranslationOrder;
    std::int64_t Line = 0;  // the line of a list it was read from; 0: none
    // The folder inside the file it lies in, names joined by " / " (a KML
    // file's "Outer / Inner"); empty: none.
    std::string Folder;
    // The icon the file gives it (a KML style's): a path as links are
    // written, or, with IconContent, the name of a picture inside the file's
    // archive ("trip.kmz/images/cafe.png"). Empty: its links decide.
    std::string Icon;
    std::shared_ptr<const Bytes> IconContent;
};

}  // namespace kestro
