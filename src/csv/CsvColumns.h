#pragma once
// The columns of a CSV list: by name from a header line, or the fixed
// order longitude, latitude, name, comment of lists without one.
#include <optional>
#include <string>
#include <vector>

#include "gpi/PoiWpt.h"

namespace kestro {

enum class TCsvField {
    Latitude,
    Longitude,
    Name,
    Comment,
    Description,
    Street,
    City,
    State,
    Country,
    PostalCode,
    Phone,
    Fax,
    Email,
    Url,
    Proximity,
    Speed,
    Link,
};

// The field a header names, ignoring letter case, blanks and "_"; none for
// a column the program does not keep.
std::optional<TCsvField> CsvColumnField(const std::string& header);

// A column of a text in a further language: "name:EN", "comment:EN",
// "desc:EN" (and the address texts, "city:EN" ...); the code is two ASCII
// letters.
struct TCsvTranslatedColumn {
    std::string Language;  // as written after ":"
    TLocalized Place;      // the point's text it translates
};

// The translated column a header names; none for any other header.
std::optional<TCsvTranslatedColumn> CsvTranslatedColumn(const std::string& header);

struct TCsvLayout {
    bool Header = false;
    // The field of each column; none for columns not kept.
    std::vector<std::optional<TCsvField>> Columns;
    // Per column of a header line: the text in a further language it holds.
    std::vector<std::optional<TCsvTranslatedColumn>> Translated;
    // Fields a line needs: the coordinates' columns and, without a header, the name.
    std::size_t RequiredFields = 0;
    bool HasCoordinates() const;
};

// The layout the first record gives: a header when it names a latitude or
// a longitude column, whose first column of each field (and of each field's
// language) counts; else the first data line of a list in the fixed order.
TCsvLayout CsvLayoutOf(const std::vector<std::string>& firstRecord);

// A coordinate's number; in a list separated by ";" or tabs "50,0875" is
// 50.0875 as well.
std::optional<double> ReadCsvNumber(const std::string& text, char separator);

}  // namespace kestro
