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

bool IsNumber(const std::string& text) { return ReadDotNumber(text).has_value(); }

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
    if (!field || code.empty()) return std::nullopt;
    switch (*field) {
        case TCsvField::Name: return TCsvTranslatedColumn{code, "name"};
        case TCsvField::Comment: return TCsvTranslatedColumn{code, "cmt"};
        case TCsvField::Description: return TCsvTranslatedColumn{code, "desc"};
        case TCsvField::City: return TCsvTranslatedColumn{code, "city"};
        case TCsvField::Country: return TCsvTranslatedColumn{code, "country"};
        case TCsvField::State: return TCsvTranslatedColumn{code, "state"};
        case TCsvField::Street: return TCsvTranslatedColumn{code, "street"};
        default: return std::nullopt;  // numbers, contacts and links have no language
    }
}

bool TCsvLayout::HasCoordinates() const {
    const auto has = [this](TCsvField field) {
        return std::find(Columns.begin(), Columns.end(), std::optional<TCsvField>(field)) != Columns.end();
    };
    return has(TCsvField::Latitude) && has(TCsvField::Longitude);
}

TCsvLayout CsvLayoutOf(const std::vector<std::string>& firstRecord) {
    TCsvLayout layout;
    if (firstRecord.size() >= 2 && IsNumber(firstRecord[0]) && IsNumber(firstRecord[1])) {
        layout.Columns = {TCsvField::Longitude, TCsvField::Latitude, TCsvField::Name, TCsvField::Comment};
        layout.RequiredFields = 3;
        return layout;
    }
    layout.Header = true;
    for (const auto& header : firstRecord) {
        layout.Translated.push_back(CsvTranslatedColumn(header));
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
