#pragma once
// The columns of a CSV list: by name from a header line, or the fixed
// order longitude, latitude, name, comment of lists without one.
#include <optional>
#include <string>
#include <vector>

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

struct TCsvLayout {
    bool Header = false;
    // The field of each column; none for columns not kept.
    std::vector<std::optional<TCsvField>> Columns;
    // Fields a line needs: the coordinates' columns and, without a header, the name.
    std::size_t RequiredFields = 0;
    bool HasCoordinates() const;
};

// The layout the first record gives: no header when its first two fields
// are numbers, else a header whose first column of each field counts.
TCsvLayout CsvLayoutOf(const std::vector<std::string>& firstRecord);

}  // namespace kestro
