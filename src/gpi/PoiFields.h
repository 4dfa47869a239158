#pragma once
// The text fields of a point's address and contact records, described once:
// the encoder, the GPI reader, the printers and the GPX reader walk these
// tables. Each field is present when its bit is set in the record's flags, in
// the order of the table; localized fields carry languages.
#include <array>
#include <cstdint>
#include <optional>

#include "gpi/GpiReader.h"
#include "gpi/PoiWpt.h"
#include "platform/Bytes.h"

namespace kestro {

template <class TPart>
struct TPoiField {
    std::uint16_t Bit;
    const char* Name;     // in the reader's messages: "postal code"
    const char* Label;    // in the printers: "Postal code"
    const char* JsonKey;  // "postalCode"
    const char* GpxName;  // the GPX element or phone category; null: not read from GPX
    // Its element among a GPX waypoint's texts in further languages, after
    // the prefix ("city" for <kestro:city lang="DE">); null: not translated.
    const char* TranslationName;
    Bytes TPoiWpt::*Point;                  // null: never written
    std::optional<TGpiText> TPart::*Text;   // a localized field as read, else null
    std::optional<Bytes> TPart::*Plain;     // a plain field as read, else null
    Bytes TPoiTranslation::*Translated;     // a localized field in a further language, else null

    bool Localized() const { return Text != nullptr; }
};

using TAddressField = TPoiField<TGpiAddress>;
using TContactField = TPoiField<TGpiContact>;

inline constexpr std::array<TAddressField, 6> AddressFields = {{
    {0x01, "city", "City", "city", "gpxx:City", "city", &TPoiWpt::City, &TGpiAddress::City, nullptr,
     &TPoiTranslation::City},
    {0x02, "country", "Country", "country", "gpxx:Country", "country", &TPoiWpt::Country, &TGpiAddress::Country, nullptr,
     &TPoiTranslation::Country},
    {0x04, "state", "State", "state", "gpxx:State", "state", &TPoiWpt::State, &TGpiAddress::State, nullptr,
     &TPoiTranslation::State},
    {0x08, "postal code", "Postal code", "postalCode", "gpxx:PostalCode", nullptr, &TPoiWpt::PostalCode, nullptr,
     &TGpiAddress::PostalCode, nullptr},
    {0x10, "street", "Street", "street", "gpxx:StreetAddress", "street", &TPoiWpt::Street, &TGpiAddress::Street, nullptr,
     &TPoiTranslation::Street},
    {0x20, "house number", "House number", "houseNumber", nullptr, nullptr, nullptr, nullptr,
     &TGpiAddress::HouseNumber, nullptr},
}};

inline constexpr std::array<TContactField, 5> ContactFields = {{
    {0x01, "phone", "Phone", "phone", "Phone", nullptr, &TPoiWpt::Phone, nullptr, &TGpiContact::Phone, nullptr},
    {0x02, "second phone", "Phone 2", "phone2", "Phone2", nullptr, &TPoiWpt::Phone2, nullptr, &TGpiContact::Phone2, nullptr},
    {0x04, "fax", "Fax", "fax", "Fax", nullptr, &TPoiWpt::Fax, nullptr, &TGpiContact::Fax, nullptr},
    {0x08, "e-mail", "E-mail", "email", "Email", nullptr, &TPoiWpt::Email, nullptr, &TGpiContact::Email, nullptr},
    {0x10, "web address", "Web", "url", "URL", nullptr, &TPoiWpt::Url, nullptr, &TGpiContact::Url, nullptr},
}};

// The flags a record may set: those of its fields.
template <class TField, std::size_t N>
constexpr std::uint16_t KnownFlags(const std::array<TField, N>& fields) {
    std::uint16_t flags = 0;
    for (const auto& field : fields) flags = static_cast<std::uint16_t>(flags | field.Bit);
    return flags;
}

}  // namespace kestro
