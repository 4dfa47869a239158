#pragma once
// One point of interest as read from a waypoint. Texts are 8-bit text in the
// output code page; every field starts out with its "absent" value.
#include <cstdint>
#include <vector>

#include "platform/Bytes.h"

namespace kestro {

// The bitmap or category number that names none.
constexpr std::uint16_t NoIndex = 0xFFFF;

// The localized texts of a point in one further language.
struct TPoiTranslation {
    Bytes Language;  // two letters
    Bytes Name;
    Bytes Comment;
    Bytes Description;
    Bytes City;
    Bytes Country;
    Bytes State;
    Bytes Street;
};

struct TPoiWpt {
    double Lat = 0;  // degrees, north positive
    double Lon = 0;  // degrees, east positive
    Bytes Name;
    Bytes Comment;
    Bytes Description;  // may hold markup
    std::uint16_t Bitmap = NoIndex;    // number among the group's bitmap records
    std::uint16_t Category = NoIndex;  // number among the group's category records
    Bytes City;
    Bytes Country;
    Bytes State;
    Bytes PostalCode;
    Bytes Street;
    Bytes Phone;
    Bytes Phone2;
    Bytes Fax;
    Bytes Email;
    Bytes Url;
    Bytes Images;  // paths of JPEG files, lines separated by CR LF
    // What to embed for the line of Images at the same position, when it is
    // not the file's own bytes (a picture made into a JPEG); empty or
    // missing: the file's bytes.
    std::vector<Bytes> ImageContents;
    std::int32_t AlertSpeed = -1;     // km/h; -1: no speed
    std::int32_t AlertDistance = -1;  // metres; -1: no distance
    // The number of the group's media record the alert plays; 0: the
    // predefined sound.
    std::uint16_t Sound = 0;
    // The texts above are in this language; each translation adds an entry
    // to every localized text, in order.
    Bytes Language = "EN";
    std::vector<TPoiTranslation> Translations;
};

// Also the alert flag stored beside the encoded point.
inline bool HasAlert(const TPoiWpt& point) { return point.AlertSpeed >= 0 || point.AlertDistance >= 0; }

}  // namespace kestro
