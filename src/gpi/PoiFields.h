#pragma once
// The text fields of a point's address and contact records, described once:
// the encoder, the GPI reader, the printers and the GPX reader walk these
// tables. Each field is present when its bit is set in the record's flags, in
// the order of the table; localized fields carry languages.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

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
    Bytes TPoiWpt::*Point;                  // null: never written
    std::optional<TGpiText> TPart::*Text;   // a localized field as read, else null
    std::optional<Bytes> TPart::*Plain;     // a plain field as read, else null
    std::optional<TLocalized> Translated;  // its place among the point's translations; none: one language only

    bool Localized() const { return Text != nullptr; }
};

using TAddressField = TPoiField<TGpiAddress>;
using TContactField = TPoiField<TGpiContact>;

inline constexpr std::array<TAddressField, 6> AddressFields = {{
    {0x01, "city", "City", "city", "gpxx:City", &TPoiWpt::City, &TGpiAddress::City, nullptr, TLocalized::City},
    {0x02, "country", "Country", "country", "gpxx:Country", &TPoiWpt::Country, &TGpiAddress::Country, nullptr,
     TLocalized::Country},
    {0x04, "state", "State", "state", "gpxx:State", &TPoiWpt::State, &TGpiAddress::State, nullptr, TLocalized::State},
    {0x08, "postal code", "Postal code", "postalCode", "gpxx:PostalCode", &TPoiWpt::PostalCode, nullptr,
     &TGpiAddress::PostalCode, std::nullopt},
    {0x10, "street", "Street", "street", "gpxx:StreetAddress", &TPoiWpt::Street, &TGpiAddress::Street, nullptr,
     TLocalized::Street},
    {0x20, "house number", "House number", "houseNumber", nullptr, nullptr, nullptr, &TGpiAddress::HouseNumber,
     std::nullopt},
}};

inline constexpr std::array<TContactField, 5> ContactFields = {{
    {0x01, "phone", "Phone", "phone", "Phone", &TPoiWpt::Phone, nullptr, &TGpiContact::Phone, std::nullopt},
    {0x02, "second phone", "Phone 2", "phone2", "Phone2", &TPoiWpt::Phone2, nullptr, &TGpiContact::Phone2, std::nullopt},
    {0x04, "fax", "Fax", "fax", "Fax", &TPoiWpt::Fax, nullptr, &TGpiContact::Fax, std::nullopt},
    {0x08, "e-mail", "E-mail", "email", "Email", &TPoiWpt::Email, nullptr, &TGpiContact::Email, std::nullopt},
    {0x10, "web address", "Web", "url", "URL", &TPoiWpt::Url, nullptr, &TGpiContact::Url, std::nullopt},
}};

// The texts a point has in several languages, in the order of their places
// (TLocalized): the first language's text is the point's field, the others
// are in its Translations.
struct TLocalizedField {
    TLocalized Place;
    // Its element among a GPX waypoint's texts in further languages, after
    // the prefix ("city" for <kestro:city lang="DE">); also how CSV and KML
    // readers name it.
    const char* ElementName;
    Bytes TPoiWpt::*First;
};

inline constexpr std::array<TLocalizedField, LocalizedCount> LocalizedFields = {{
    {TLocalized::Name, "name", &TPoiWpt::Name},
    {TLocalized::Comment, "cmt", &TPoiWpt::Comment},
    {TLocalized::Description, "desc", &TPoiWpt::Description},
    {TLocalized::Street, "street", &TPoiWpt::Street},
    {TLocalized::City, "city", &TPoiWpt::City},
    {TLocalized::State, "state", &TPoiWpt::State},
    {TLocalized::Country, "country", &TPoiWpt::Country},
}};
static_assert([] {
    for (std::size_t i = 0; i < LocalizedFields.size(); ++i)
        if (static_cast<std::size_t>(LocalizedFields[i].Place) != i) return false;
    return true;
}());

// The localized text an element name gives ("cmt"); none for other names.
constexpr std::optional<TLocalized> LocalizedFieldNamed(std::string_view elementName) {
    for (const auto& field : LocalizedFields)
        if (elementName == field.ElementName) return field.Place;
    return std::nullopt;
}

// The flags a record may set: those of its fields.
template <class TField, std::size_t N>
constexpr std::uint16_t KnownFlags(const std::array<TField, N>& fields) {
    std::uint16_t flags = 0;
    for (const auto& field : fields) flags = static_cast<std::uint16_t>(flags | field.Bit);
    return flags;
}

}  // namespace kestro
