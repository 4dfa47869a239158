#pragma once
// One point of interest as read from a waypoint. Texts are 8-bit text in the
// output code page; every field starts out with its "absent" value.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gpi/LangText.h"
#include "platform/Bytes.h"

namespace kestro {

// The bitmap or category number that names none.
constexpr std::uint16_t NoIndex = 0xFFFF;

// The point's texts that carry a language, by their place among its
// translations; the order is the one a GPX file's elements are written in.
enum class TLocalized : std::uint8_t { Name, Comment, Description, Street, City, State, Country };
inline constexpr std::size_t LocalizedCount = 7;

// Each localized text in the further languages, entries in the order of the
// run's languages; an empty list: no text in any further language.
struct TPoiTranslations {
    std::array<TGpiText, LocalizedCount> Texts;

    TGpiText& operator[](TLocalized place) { return Texts[static_cast<std::size_t>(place)]; }
    const TGpiText& operator[](TLocalized place) const { return Texts[static_cast<std::size_t>(place)]; }
    auto begin() { return Texts.begin(); }
    auto end() { return Texts.end(); }
    auto begin() const { return Texts.begin(); }
    auto end() const { return Texts.end(); }
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
    // The texts above are in this language; Translations holds the same
    // texts in the further languages (as a reader found them, until the
    // group's rules put them in the run's order).
    Bytes Language = "EN";
    TPoiTranslations Translations;
};

// Also the alert flag stored beside the encoded point.
inline bool HasAlert(const TPoiWpt& point) { return point.AlertSpeed >= 0 || point.AlertDistance >= 0; }

}  // namespace kestro
