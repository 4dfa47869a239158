// CSV texts as people and programs write them, against the waypoints the
// reader yields and the lines it leaves out.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "csv/CsvReader.h"
#include "gpi/PoiFields.h"

namespace kestro {
namespace {

// A waypoint as "lat lon" and its non-empty fields, tagged.
std::string Describe(const TWaypointFields& waypoint) {
    const TPoiWpt& w = waypoint.Point;
    std::ostringstream out;
    out << w.Lat << ' ' << w.Lon;
    const auto add = [&out](const char* tag, const std::string& text) {
        if (!text.empty()) out << ' ' << tag << '=' << text;
    };
    add("N", w.Name), add("C", w.Comment), add("D", w.Description), add("S", w.Street), add("T", w.City);
    add("St", w.State), add("Co", w.Country), add("Z", w.PostalCode), add("P", w.Phone), add("F", w.Fax);
    add("E", w.Email), add("U", w.Url), add("Px", waypoint.Proximity.value_or("")), add("V", waypoint.Speed.value_or(""));
    for (const auto& link : waypoint.Links) add("L", link);
    return out.str();
}

// What the reader says of a text's lines: "L3 reason" for a line left out,
// "R6 text" for one read otherwise than written, "C n: names" for columns
// past the last one read.
std::vector<std::string> Told(const TCsvSummary& summary) {
    std::vector<std::string> told;
    for (const auto& note : summary.ReadOtherwise) told.push_back("R" + std::to_string(note.Line) + " " + note.Text);
    for (const auto& note : summary.LeftOutLines) told.push_back("L" + std::to_string(note.Line) + " " + note.Text);
    if (summary.ColumnsNotRead > 0) {
        std::string columns = "C " + std::to_string(summary.ColumnsNotRead) + ":";
        for (const auto& name : summary.ColumnsNotReadNames) columns += " " + name;
        told.push_back(columns);
    }
    return told;
}

struct TCase {
    std::string text;
    std::vector<std::string> points;
    std::int32_t dataLines;
    std::vector<std::string> told = {};
    TCsvEncoding encoding = TCsvEncoding::Utf8;
    bool noCoordinates = false;
};

TCsvSummary Read(const std::string& text, std::vector<std::string>& points, TCsvEncoding* encoding = nullptr) {
    std::istringstream scan(text);
    const TCsvTextKind kind = ScanCsvText(scan);
    if (encoding != nullptr) *encoding = kind.Encoding;
    std::istringstream in(text);
    return ReadCsvWaypoints(in, kind, 65001, [&points](TWaypointFields& w) {
        points.push_back(Describe(w) + " @" + std::to_string(w.Line));
    });
}

TEST(CsvReader, TextsGiveTheirWaypoints) {
    const std::string unicsvHeader =
        "No,Latitude,Longitude,Name,Description,Symbol,Proximity,URL,Address,City,PostalCode,State,Country,Phone,Fax,Email\n";
    const std::string fewFields = "; a list without a header needs longitude, latitude and name";
    const std::vector<TCase> cases = {
        // Without a header: longitude, latitude, name, comment; more fields ignored.
        {"14.5,50.1,Cam,Note,extra\n", {"50.1 14.5 N=Cam C=Note @1"}, 1},
        // Quotes hold the separator, "" and line breaks; CR LF ends lines;
        // a line number counts the lines inside quotes.
        {"14.5,50.1,\"A, \"\"B\"\"\",\"two\r\nlines\"\r\n14.6,50.2,C\r\nx,1,D\r\n",
         {"50.1 14.5 N=A, \"B\" C=two\r\nlines @1", "50.2 14.6 N=C @3"}, 3, {"L4 longitude \"x\" is no number"}},
        // Byte-order mark, blank lines, an empty spreadsheet row, no last line end.
        {"\xEF\xBB\xBF\n14.5,50.1,A\n\n  \n,,\n14.6,50.2,B", {"50.1 14.5 N=A @2", "50.2 14.6 N=B @6"}, 2},
        // Blanks around fields go, inside quotes they stay.
        {" 14.5 , 50.1 , A , \" b \" \n", {"50.1 14.5 N=A C= b  @1"}, 1},
        // UTF-8 stays; a file that is no UTF-8 is Windows-1252.
        {"14.5,50.1,Caf\xC3\xA9\n", {"50.1 14.5 N=Caf\xC3\xA9 @1"}, 1},
        {"14.5,50.1,Caf\xE9,\x80\n", {"50.1 14.5 N=Caf\xC3\xA9 C=\xE2\x82\xAC @1"}, 1, {}, TCsvEncoding::Windows1252},
        // An overlong form is no UTF-8.
        {"14.5,50.1,\xC0\xAF\n", {"50.1 14.5 N=\xC3\x80\xC2\xAF @1"}, 1, {}, TCsvEncoding::Windows1252},
        // ";" and tab separators read a decimal comma; in a comma file "14,5"
        // is two fields, and a number with two commas or a comma and a dot
        // is none.
        {"Latitude;Longitude;Name\n50,0875;14,4213;Cam A\n50.1;14.5;B\n-0,5;,5;C\n1,2,3;4;D\n1,5;4.0,1;E\n",
         {"50.0875 14.4213 N=Cam A @2", "50.1 14.5 N=B @3", "-0.5 0.5 N=C @4"}, 5,
         {"L5 latitude \"1,2,3\" is no number", "L6 longitude \"4.0,1\" is no number"}},
        {"\"lat\"\tlon\tname\n50,1\t14.5\tA;B,C\n", {"50.1 14.5 N=A;B,C @2"}, 1},
        {"14,5,50,1,A\n", {"5 14 N=50 C=1 @1"}, 1},
        // GPSBabel's unicsv columns.
        {unicsvHeader + "1,50.1,14.5,A,D,Waypoint,400,http://x,Main 1,Town,123 45,ST,CZ,+1,+2,a@b\n",
         {"50.1 14.5 N=A D=D S=Main 1 T=Town St=ST Co=CZ Z=123 45 P=+1 F=+2 E=a@b U=http://x Px=400 @2"}, 1},
        // Names ignore letter case, blanks and "_"; an empty proximity or
        // speed cell is none; the first of two name columns counts.
        {"Lng, LAT ,Post_Code,Notes,Image,Speed,Link,Prox,Title,Name\n14.5,50.1,123,n,i.bmp,50,p.jpg,,T,X\n",
         {"50.1 14.5 N=T C=n Z=123 V=50 L=i.bmp L=p.jpg @2"}, 1},
        {"lat,long,cmt,desc,street,zip,postcode\n1,2,c,d,s,z1,z2\n", {"1 2 C=c D=d S=s Z=z1 @2"}, 1},
        // A header names a coordinate's column; one with a latitude alone
        // reads nothing.
        {"lat,name\n50,A\n", {}, 1, {}, TCsvEncoding::Utf8, true},
        // Any other first line is data: a typo costs that line alone, and a
        // header of other columns is a line left out.
        {"x14.42,50.08,A\n14.43,50.09,B\n", {"50.09 14.43 N=B @2"}, 2, {"L1 longitude \"x14.42\" is no number"}},
        {"name,desc,x\n14.5,50.1,A\n", {"50.1 14.5 N=A @2"}, 2,
         {"L1 latitude \"desc\" is no number, longitude \"name\" is no number"}},
        // Too few fields: without a header the name is needed, with one the
        // coordinates' columns; an empty coordinate is said so.
        {"14.5,50.1\n14.5\n14.5,50.1,A\n", {"50.1 14.5 N=A @3"}, 3, {"L1 2 fields" + fewFields, "L2 1 field" + fewFields}},
        {"name,lat,lon\nA,50.1\nB,50.1,14.5\nC,,14.5\n", {"50.1 14.5 N=B @3"}, 3,
         {"L2 2 fields; the coordinates' columns need 3", "L4 latitude empty"}},
        // Coordinates that are no numbers; 0, 0 and off-globe values are
        // numbers (the rules of points decide on them).
        {"14.5,50.1,A\nnan,50,B\n0x10,5,C\n1e400,5,D\n14.6,,E\n0,0,F\n200,95,G\n",
         {"50.1 14.5 N=A @1", "0 0 N=F @6", "95 200 N=G @7"}, 7,
         {"L2 longitude \"nan\" is no number", "L3 longitude \"0x10\" is no number", "L4 longitude \"1e400\" is no number",
          "L5 latitude empty"}},
        // A quote that never closes is taken back: a plain character to the
        // end of its line, and the lines after it are read as usual.
        {"14.5,50.1,A\n14.6,50.2,\"12 inch pizza, \"\"x\n14.7,50.3,C\n14.8,50.4,D\n",
         {"50.1 14.5 N=A @1", "50.2 14.6 N=\"12 inch pizza C=\"\"x @2", "50.3 14.7 N=C @3", "50.4 14.8 N=D @4"}, 4,
         {"R2 the quote opened on line 2 never closes: read as a plain character to the end of that line"}},
        // ... also when it opened lines before the end, in a header or a first field.
        {"lat,lon,\"name\n50,14,A\r\n51,15,B", {"50 14 @2", "51 15 @3"}, 2,
         {"R1 the quote opened on line 1 never closes: read as a plain character to the end of that line"}},
        {"\"14.5,50.1,A\n", {}, 1,
         {"R1 the quote opened on line 1 never closes: read as a plain character to the end of that line",
          "L1 longitude \"\"14.5\" is no number"}},
        // Language columns: two ASCII letters after ":"; the first of two
        // columns of one text and language counts.
        {"lat,lon,Name: first,name:EN,Name:en,name:DE\n1,2,a,b,c,d\n", {"1 2 @2"}, 1},
        // Only a header, and nothing at all.
        {"lat,lon,name\n", {}, 0},
        {"", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> points;
        TCsvEncoding encoding{};
        const TCsvSummary summary = Read(c.text, points, &encoding);
        EXPECT_EQ(encoding, c.encoding);
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(summary.DataLines, c.dataLines);
        EXPECT_EQ(Told(summary), c.told);
        const auto leftOut = std::count_if(c.told.begin(), c.told.end(), [](const std::string& t) { return t[0] == 'L'; });
        EXPECT_EQ(summary.LeftOut, leftOut);
        EXPECT_EQ(summary.NoCoordinateColumns, c.noCoordinates);
    }
}

TEST(CsvReader, TranslatedColumnsFirstCounts) {
    std::istringstream in("lat,lon,Name: first,city:FR,name:EN,Name:en,name:DE,name:D1\n1,2,a,f,b,c,d,e\n");
    std::vector<std::string> texts;
    std::vector<TLocalized> order;
    ReadCsvWaypoints(in, {TCsvEncoding::Utf8, ','}, 65001, [&](TWaypointFields& w) {
        for (const auto& field : LocalizedFields)
            for (const auto& t : w.Point.Translations[field.Place])
                texts.push_back(t.Language + "/" + field.ElementName + "=" + t.Text);
        order = w.TranslationOrder;
    });
    EXPECT_EQ(texts, (std::vector<std::string>{"EN/name=b", "DE/name=d", "FR/city=f"}));
    // The columns' order, which orders the warnings on languages not used.
    EXPECT_EQ(order, (std::vector<TLocalized>{TLocalized::City, TLocalized::Name, TLocalized::Name}));
}

// Lines left out are listed up to the 20th, then counted.
TEST(CsvReader, LeftOutLinesListedToTheBound) {
    for (const int bad : {19, 20, 21}) {
        SCOPED_TRACE(bad);
        std::string text = "lat,lon,name\n";
        for (int i = 0; i < bad; ++i) text += "x,1,A\n";
        text += "50,14,B\n";
        std::vector<std::string> points;
        const TCsvSummary summary = Read(text, points);
        EXPECT_EQ(points, (std::vector<std::string>{"50 14 N=B @" + std::to_string(bad + 2)}));
        EXPECT_EQ(summary.LeftOut, bad);
        ASSERT_EQ(summary.LeftOutLines.size(), std::size_t(std::min(bad, 20)));
        EXPECT_EQ(summary.LeftOutLines.back().Line, std::min(bad, 20) + 1);
    }
}

// Spreadsheets' "Unicode text": UTF-16 of either order with its mark.
TEST(CsvReader, Utf16WithByteOrderMark) {
    const std::u16string text = u"Latitude\tLongitude\tName\r\n50,0875\t14,4213\tКафе \U0001F600\r\n";
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : text) {
            const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        std::vector<std::string> points;
        TCsvEncoding encoding{};
        Read(bytes, points, &encoding);
        EXPECT_EQ(encoding, bigEndian ? TCsvEncoding::Utf16BigEndian : TCsvEncoding::Utf16LittleEndian);
        EXPECT_EQ(points, (std::vector<std::string>{"50.0875 14.4213 N=\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5 \xF0\x9F\x98\x80 @2"}));
    }
    // A lone surrogate and an odd last byte are U+FFFD.
    std::vector<std::string> points;
    Read(std::string("\xFF\xFE" "1\0,\0" "2\0,\0" "\x00\xD8" "A\0\n\0" "x", 17), points);
    EXPECT_EQ(points, (std::vector<std::string>{"2 1 N=\xEF\xBF\xBD" "A @1"}));
}

// Columns past the 4096th are named in a warning, not dropped unsaid.
TEST(CsvReader, ColumnsPastTheLastReadAreNamed) {
    for (const int columns : {4095, 4096, 4097}) {
        SCOPED_TRACE(columns);
        std::string header = "lat,lon", data = "50,14";
        for (int i = 2; i < columns - 1; ++i) header += ",x", data += ",";
        header += ",name\n", data += ",A\n";
        std::vector<std::string> points;
        const TCsvSummary summary = Read(header + data, points);
        const bool read = columns <= 4096;
        EXPECT_EQ(points, (std::vector<std::string>{read ? "50 14 N=A @2" : "50 14 @2"}));
        EXPECT_EQ(Told(summary), read ? std::vector<std::string>{} : std::vector<std::string>{"C 1: name"});
    }
}

TEST(CsvReader, LongLinesKeepBoundedParts) {
    const std::size_t mebibyte = 1 << 20;
    const std::string text = "14.5,50.1," + std::string(mebibyte + 5, 'a') + ",\"" + std::string(mebibyte + 1, 'b') +
                             "\"" + std::string(5000, ',') + "\n14.6,50.2,B\n";
    std::istringstream in(text);
    std::vector<TWaypointFields> points;
    const auto summary = ReadCsvWaypoints(in, {TCsvEncoding::Utf8, ','}, 65001,
                                          [&points](TWaypointFields& w) { points.push_back(w); });
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].Point.Name, std::string(mebibyte, 'a'));
    EXPECT_EQ(points[0].Point.Comment, std::string(mebibyte, 'b'));
    EXPECT_EQ(points[1].Point.Name, "B");
    EXPECT_EQ(summary.LeftOut, 0);
}

// A quoted field of "" pairs keeps 1 MiB of quotes like any other text,
// and says when it lost the rest.
TEST(CsvReader, QuotePairsHoldTheFieldBound) {
    const std::size_t mebibyte = 1 << 20;
    for (const std::size_t quotes : {mebibyte - 1, mebibyte, mebibyte + 1}) {
        SCOPED_TRACE(quotes);
        std::string text = "14.5,50.1,\"";
        for (std::size_t i = 0; i < quotes; ++i) text += "\"\"";
        text += "\"\n";
        std::istringstream in(text);
        std::vector<std::size_t> sizes;
        const auto summary = ReadCsvWaypoints(in, {TCsvEncoding::Utf8, ','}, 65001,
                                              [&sizes](TWaypointFields& w) { sizes.push_back(w.Point.Name.size()); });
        EXPECT_EQ(sizes, std::vector<std::size_t>{std::min(quotes, mebibyte)});
        EXPECT_EQ(summary.ReadOtherwiseCount, quotes > mebibyte ? 1 : 0);
    }
}

TEST(CsvReader, ScanFindsSeparatorAndBinaryText) {
    struct TScan {
        std::string text;
        TCsvEncoding encoding;
        char separator;
    };
    const std::vector<TScan> cases = {
        {"a;b,c\n", TCsvEncoding::Utf8, ','},
        {"a;b;c\td\n1,2", TCsvEncoding::Utf8, ';'},
        {"a\tb\tc;d\n", TCsvEncoding::Utf8, '\t'},
        {"\"a,b\";c\n", TCsvEncoding::Utf8, ';'},
        {"a b\n", TCsvEncoding::Utf8, ','},
        {std::string("14.5,50.1,A\0", 12), TCsvEncoding::NotText, ','},
        {std::string(4095, 'a') + std::string(1, '\0'), TCsvEncoding::NotText, ','},
        {std::string(4096, 'a') + std::string(1, '\0'), TCsvEncoding::Utf8, ','},
        {"\xE2\x82", TCsvEncoding::Windows1252, ','},  // cut in a character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        std::istringstream in(c.text);
        const TCsvTextKind kind = ScanCsvText(in);
        EXPECT_EQ(kind.Encoding, c.encoding);
        if (c.encoding != TCsvEncoding::NotText) {
            EXPECT_EQ(kind.Separator, c.separator);
        }
    }
}

TEST(CsvReader, TextGoesIntoTheCodePage) {
    // "ř" is in code page 1250, not in 1252.
    std::istringstream in("14.5,50.1,\xC5\x99\xC3\xA9\n");
    std::vector<std::string> names;
    for (const std::int32_t codePage : {1250, 1252}) {
        in.clear();
        in.seekg(0);
        ReadCsvWaypoints(in, {TCsvEncoding::Utf8, ','}, codePage, [&names](TWaypointFields& w) { names.push_back(w.Point.Name); });
    }
    EXPECT_EQ(names, (std::vector<std::string>{"\xF8\xE9", "?\xE9"}));
}

}  // namespace
}  // namespace kestro
