// CSV texts as people and programs write them, against the waypoints the
// reader yields and the lines it leaves out.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "csv/CsvReader.h"

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

struct TCase {
    std::string text;
    std::vector<std::string> points;
    std::int32_t dataLines;
    std::int32_t leftOut = 0;
    std::int64_t firstLeftOut = 0;
    TCsvEncoding encoding = TCsvEncoding::Utf8;
    bool noCoordinates = false;
};

TEST(CsvReader, TextsGiveTheirWaypoints) {
    const std::string unicsvHeader =
        "No,Latitude,Longitude,Name,Description,Symbol,Proximity,URL,Address,City,PostalCode,State,Country,Phone,Fax,Email\n";
    const std::vector<TCase> cases = {
        // Without a header: longitude, latitude, name, comment; more fields ignored.
        {"14.5,50.1,Cam,Note,extra\n", {"50.1 14.5 N=Cam C=Note"}, 1},
        // Quotes hold the separator, "" and line breaks; CR LF ends lines;
        // a line number counts the lines inside quotes.
        {"14.5,50.1,\"A, \"\"B\"\"\",\"two\r\nlines\"\r\n14.6,50.2,C\r\nx,1,D\r\n",
         {"50.1 14.5 N=A, \"B\" C=two\r\nlines", "50.2 14.6 N=C"}, 3, 1, 4},
        // Byte-order mark, blank lines, an empty spreadsheet row, no last line end.
        {"\xEF\xBB\xBF\n14.5,50.1,A\n\n  \n,,\n14.6,50.2,B", {"50.1 14.5 N=A", "50.2 14.6 N=B"}, 2},
        // Blanks around fields go, inside quotes they stay.
        {" 14.5 , 50.1 , A , \" b \" \n", {"50.1 14.5 N=A C= b "}, 1},
        // UTF-8 stays; a file that is no UTF-8 is Windows-1252.
        {"14.5,50.1,Caf\xC3\xA9\n", {"50.1 14.5 N=Caf\xC3\xA9"}, 1},
        {"14.5,50.1,Caf\xE9,\x80\n", {"50.1 14.5 N=Caf\xC3\xA9 C=\xE2\x82\xAC"}, 1, 0, 0, TCsvEncoding::Windows1252},
        // An overlong form is no UTF-8.
        {"14.5,50.1,\xC0\xAF\n", {"50.1 14.5 N=\xC3\x80\xC2\xAF"}, 1, 0, 0, TCsvEncoding::Windows1252},
        // ";" and tab separators; a decimal comma is no number there, and in a
        // comma file "14,5" is two fields.
        {"Name;Lat;Lon\nA;50.1;14.5\nB;50,1;14,5\n", {"50.1 14.5 N=A"}, 2, 1, 3},
        {"\"lat\"\tlon\tname\n50.1\t14.5\tA;B,C\n", {"50.1 14.5 N=A;B,C"}, 1},
        {"14,5,50,1,A\n", {"5 14 N=50 C=1"}, 1},
        // GPSBabel's unicsv columns.
        {unicsvHeader + "1,50.1,14.5,A,D,Waypoint,400,http://x,Main 1,Town,123 45,ST,CZ,+1,+2,a@b\n",
         {"50.1 14.5 N=A D=D S=Main 1 T=Town St=ST Co=CZ Z=123 45 P=+1 F=+2 E=a@b U=http://x Px=400"}, 1},
        // Names ignore letter case, blanks and "_"; an empty proximity or
        // speed cell is none; the first of two name columns counts.
        {"Lng, LAT ,Post_Code,Notes,Image,Speed,Link,Prox,Title,Name\n14.5,50.1,123,n,i.bmp,50,p.jpg,,T,X\n",
         {"50.1 14.5 N=T C=n Z=123 V=50 L=i.bmp L=p.jpg"}, 1},
        {"lat,long,cmt,desc,street,zip,postcode\n1,2,c,d,s,z1,z2\n", {"1 2 C=c D=d S=s Z=z1"}, 1},
        // A header without latitude and longitude: nothing is read.
        {"name,desc\nA,B\nC,D\n", {}, 2, 0, 0, TCsvEncoding::Utf8, true},
        {"lat,name\n50,A\n", {}, 1, 0, 0, TCsvEncoding::Utf8, true},
        // Too few fields: without a header the name is needed, with one the
        // coordinates' columns.
        {"14.5,50.1\n14.5\n14.5,50.1,A\n", {"50.1 14.5 N=A"}, 3, 2, 1},
        {"name,lat,lon\nA,50.1\nB,50.1,14.5\n", {"50.1 14.5 N=B"}, 2, 1, 2},
        // Coordinates that are no numbers; 0, 0 and off-globe values are
        // numbers (the rules of points decide on them).
        {"14.5,50.1,A\nnan,50,B\n0x10,5,C\n1e400,5,D\n14.6,,E\n0,0,F\n200,95,G\n",
         {"50.1 14.5 N=A", "0 0 N=F", "95 200 N=G"}, 7, 4, 2},
        // A quote never closed takes the rest of the text and is left out.
        {"14.5,50.1,A\n14.6,50.2,\"B\n14.7,50.3,C\n", {"50.1 14.5 N=A"}, 2, 1, 2},
        // Only a header, and nothing at all.
        {"lat,lon,name\n", {}, 0},
        {"", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::istringstream scan(c.text);
        const TCsvTextKind kind = ScanCsvText(scan);
        EXPECT_EQ(kind.Encoding, c.encoding);
        std::istringstream in(c.text);
        std::vector<std::string> points;
        const TCsvSummary summary =
            ReadCsvWaypoints(in, kind, 65001, [&points](TWaypointFields& w) { points.push_back(Describe(w)); });
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(summary.DataLines, c.dataLines);
        EXPECT_EQ(summary.LeftOut, c.leftOut);
        EXPECT_EQ(summary.FirstLeftOut, c.firstLeftOut);
        EXPECT_EQ(summary.NoCoordinateColumns, c.noCoordinates);
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
