#include "csv/CsvColumns.h"

#include <algorithm>
#include <utility>

#include "sources/NumberText.h"

namespace kestro {
namespace {

struct TColumnName {
    const char* Name;  // lower case, without blanks and "_"
    TCsvField Field;
};

// The names people and GPSBabel's unicsv give the columns the program keeps.
constexpr TColumnName ColumnNames[] = {
    {"lat", TCsvField::Latitude},       {"latitude", TCsvField::Latitude},
    {"lon", TCsvField::Longitude},      {"long", TCsvField::Longitude},
    {"lng", TCsvField::Longitude},      {"longitude", TCsvField::Longitude},
    {"name", TCsvField::Name},          {"title", TCsvField::Name},
    {"comment", TCsvField::Comment},    {"cmt", TCsvField::Comment},
    {"notes", TCsvField::Comment},      {"desc", TCsvField::Description},
    {"description", TCsvField::Description},
    {"street", TCsvField::Street},      {"address", TCsvField::Street},
    {"addr", TCsvField::Street},        {"city", TCsvField::City},
    {"state", TCsvField::State},        {"country", TCsvField::Country},
    {"postcode", TCsvField::PostalCode}, {"zip", TCsvField::PostalCode},
    {"postalcode", TCsvField::PostalCode},
    {"phone", TCsvField::Phone},        {"fax", TCsvField::Fax},
    {"email", TCsvField::Email},        {"url", TCsvField::Url},
    {"proximity", TCsvField::Proximity}, {"prox", TCsvField::Proximity},
    {"speed", TCsvField::Speed},        {"image", TCsvField::Link},
    {"link", TCsvField::Link},          {"sound", TCsvField::Link},
};

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsCoordinate(const std::optional<TCsvField>& field) {
    return field == TCsvField::Latitude || field == TCsvField::Longitude;
}

bool SameTranslation(const TCsvTranslatedColumn& a, const TCsvTranslatedColumn& b) {
    if (a.Place != b.Place || a.Language.size() != b.Language.size()) return false;
    for (std::size_t i = 0; i < a.Language.size(); ++i)
        if ((a.Language[i] | 0x20) != (b.Language[i] | 0x20)) return false;
    return true;
}

}  // namespace

std::optional<TCsvField> CsvColumnField(const std::string& header) {
    std::string key;
    for (const char c : header) {
        if (c == ' ' || c == '\t' || c == '_') continue;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    for (const auto& column : ColumnNames)
        if (key == column.Name) return column.Field;
    return std::nullopt;
}

std::optional<TCsvTranslatedColumn> CsvTranslatedColumn(const std::string& header) {
    const auto colon = header.rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    std::string code = header.substr(colon + 1);
    code.erase(0, code.find_first_not_of(" \t"));
    code.erase(code.find_last_not_of(" \t") + 1);
    const auto field = CsvColumnField(header.substr(0, colon));
    // A language code is two letters: "Name: first" is a column of its own.
    if (!field || code.size() != 2 || !IsAsciiLetter(code[0]) || !IsAsciiLetter(code[1])) return std::nullopt;
    switch (*field) {
        case TCsvField::Name: return TCsvTranslatedColumn{code, TLocalized::Name};
        case TCsvField::Comment: return TCsvTranslatedColumn{code, TLocalized::Comment};
        case TCsvField::Description: return TCsvTranslatedColumn{code, TLocalized::Description};
        case TCsvField::City: return TCsvTranslatedColumn{code, TLocalized::City};
        case TCsvField::Country: return TCsvTranslatedColumn{code, TLocalized::Country};
        case TCsvField::State: return TCsvTranslatedColumn{code, TLocalized::State};
        case TCsvField::Street: return TCsvTranslatedColumn{code, TLocalized::Street};
        default: return std::nullopt;  // numbers, contacts and links have no language
    }
}

bool TCsvLayout::HasCoordinates() const {
    const auto has = [this](TCsvField field) {
        return std::find(Columns.begin(), Columns.end(), std::optional<TCsvField>(field)) != Columns.end();
    };
    return has(TCsvField::Latitude) && has(TCsvField::Longitude);
}

std::optional<double> ReadCsvNumber(const std::string& text, char separator) {
    if (separator == ',' || text.find(',') == std::string::npos) return ReadDotNumber(text);
    // Where "," separates nothing it is the decimal comma of the locale the
    // list was written in.
    if (text.find('.') != std::string::npos || text.find(',') != text.rfind(',')) return std::nullopt;
    std::string dotted = text;
    dotted[dotted.find(',')] = '.';
    return ReadDotNumber(dotted);
}

TCsvLayout CsvLayoutOf(const std::vector<std::string>& firstRecord) {
    TCsvLayout layout;
    // A header names a coordinate's column: any other first line is data,
    // and a typo in it costs that line, not the file.
    if (std::none_of(firstRecord.begin(), firstRecord.end(),
                     [](const std::string& text) { return IsCoordinate(CsvColumnField(text)); })) {
        layout.Columns = {TCsvField::Longitude, TCsvField::Latitude, TCsvField::Name, TCsvField::Comment};
        layout.RequiredFields = 3;
        return layout;
    }
    layout.Header = true;
    for (const auto& header : firstRecord) {
        auto translated = CsvTranslatedColumn(header);
        for (const auto& earlier : layout.Translated)
            if (translated && earlier && SameTranslation(*translated, *earlier)) translated.reset();
        layout.Translated.push_back(translated);
        auto field = CsvColumnField(header);
        // The first column of a field counts; a later one of the same is not
        // read, but every link column is, as a waypoint has many links.
        if (field && field != TCsvField::Link && std::find(layout.Columns.begin(), layout.Columns.end(), field) != layout.Columns.end())
            field.reset();
        layout.Columns.push_back(field);
    }
    for (std::size_t i = 0; i < layout.Columns.size(); ++i)
        if (layout.Columns[i] == TCsvField::Latitude || layout.Columns[i] == TCsvField::Longitude)
            layout.RequiredFields = std::max(layout.RequiredFields, i + 1);
    return layout;
}

}  // namespace kestro
