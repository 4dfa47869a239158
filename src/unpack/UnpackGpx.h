#pragma once
// GPX text of the unpacked folder: one document per category, with the
// elements and Garmin extensions the converter reads.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gpi/PoiFields.h"
#include "gpi/TextDecoder.h"
#include "platform/Bytes.h"

namespace kestro {

// Texts of a waypoint as they stand in the document (see XmlText).
struct TGpxWaypoint {
    std::string Lat, Lon;
    std::string Name, Comment, Description;
    std::vector<std::string> Links;  // hrefs, the icon first
    std::optional<std::int32_t> Proximity;
    std::array<std::string, AddressFields.size()> Address;  // by position in AddressFields
    std::array<std::string, ContactFields.size()> Contact;  // by position in ContactFields
    // The localized texts in the further languages, each list with an entry
    // per language (XML text), written in the extensions, in our own namespace.
    TPoiTranslations Translations;
};

// Text of the file's code page as XML text: UTF-8 with markup characters
// escaped; bytes the code page does not define become the character
// reference &#N;, which the converter's reader turns back into that very
// byte. Control characters XML 1.0 cannot hold (all below 0x20 but tab, line
// feed and carriage return; U+FFFE, U+FFFF) are left out and counted in
// `dropped`, so that every XML reader takes the file.
std::string XmlText(const Bytes& text, TTextDecoder& decoder, std::size_t* dropped = nullptr);

std::string GpxDocument(const std::vector<TGpxWaypoint>& waypoints);

}  // namespace kestro
