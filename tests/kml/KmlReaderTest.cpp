// The KML reader alone: what it hands over for each placemark, in which
// folder, with which icon, and what it says about the rest.
#include <gtest/gtest.h>

#include "kml/KmlParser.h"
#include "kml/KmlPlacemark.h"
#include "kml/KmlReader.h"
#include "kml/KmlTestFindings.h"
#include "support/TestSupport.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::TKmlFindings;
using test::WriteFile;

struct TRead {
    std::vector<TWaypointFields> Waypoints;
    std::int32_t Entries = 0;
    std::string Findings;
};

TRead ReadKml(const std::filesystem::path& path) {
    XmlCodePage = 65001;
    TRead read;
    TKmlFindings findings;
    read.Entries = ReadKmlWaypoints(path.string(), [&](TWaypointFields& waypoint) { read.Waypoints.push_back(waypoint); },
                                    {}, findings);
    read.Findings = findings.Text;
    return read;
}

std::string Kml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>"
           "<name>Trip</name>" + body + "</Document></kml>\n";
}

std::string Placemark(const std::string& name, const std::string& coordinates, const std::string& more = "") {
    return "<Placemark><name>" + name + "</name>" + more + "<Point><coordinates>" + coordinates +
           "</coordinates></Point></Placemark>";
}

TEST(KmlReader, FoldersNameTheCategoriesOfTheirPlacemarks) {
    TempDir t;
    WriteFile(t / "trip.kml",
              Kml(Placemark("Loose", "14.1,50.1") +
                  "<Folder><name>Caf\xC3\xA9s</name>" + Placemark("Slavia", "14.41,50.08") +
                  "<Folder><name> Old town </name>" + Placemark("Louvre", "14.42,50.08") + "</Folder>"
                  "<Folder>" + Placemark("Unnamed folder", "14.43,50.08") + "</Folder>"
                  "</Folder>"
                  "<Folder><name>Only a line</name><Placemark><name>Road</name><LineString><coordinates>1,2 3,4"
                  "</coordinates></LineString></Placemark></Folder>" +
                  Placemark("After the folders", "14.2,50.2")));
    const TRead read = ReadKml(t / "trip.kml");
    ASSERT_EQ(read.Waypoints.size(), 5u);
    EXPECT_EQ(read.Entries, 5);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Loose", ""}, {"Slavia", "Caf\xC3\xA9s"}, {"Louvre", "Caf\xC3\xA9s / Old town"},
        {"Unnamed folder", "Caf\xC3\xA9s"}, {"After the folders", ""}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(read.Waypoints[i].Point.Name, expected[i].first);
        EXPECT_EQ(read.Waypoints[i].Folder, expected[i].second) << expected[i].first;
    }
    EXPECT_DOUBLE_EQ(read.Waypoints[1].Point.Lat, 50.08);
    EXPECT_DOUBLE_EQ(read.Waypoints[1].Point.Lon, 14.41);
    EXPECT_EQ(read.Findings, "note not points: 1 line not converted: only points are\n");
}

TEST(KmlReader, PlacemarkTextsAndExtendedDataByTheListColumnNames) {
    TempDir t;
    WriteFile(t / "a.kml",
              Kml("<Placemark><name>Cafe@30</name>"
                  "<description><![CDATA[<b>Open</b> daily]]></description>"
                  "<address>Narodni 1, Praha</address><phoneNumber>+420 1</phoneNumber>"
                  "<ExtendedData><Data name=\"Phone\"><value>+420 2</value></Data>"
                  "<Data name=\"E-mail\"><value>x@y</value></Data>"
                  "<Data name=\"email\"><value>cafe@example.org</value></Data>"
                  "<Data name=\"URL\"><value>https://example.org</value></Data>"
                  "<Data name=\"City\"><value>Praha</value></Data>"
                  "<Data name=\"zip\"><value>110 00</value></Data>"
                  "<Data name=\"speed\"><value>50</value></Data>"
                  "<Data name=\"proximity\"><value>120</value></Data>"
                  "<Data name=\"name:DE\"><value>Kaffeehaus</value></Data>"
                  "<Data name=\"rating\"><value>5</value></Data></ExtendedData>"
                  "<Point><coordinates>14.41,50.08,250</coordinates></Point></Placemark>"
                  "<Placemark><ExtendedData><SchemaData schemaUrl=\"#s\">"
                  "<SimpleData name=\"NAME\">From GDAL</SimpleData><SimpleData name=\"country\">CZ</SimpleData>"
                  "<SimpleData name=\"Description\">long text</SimpleData>"
                  "</SchemaData></ExtendedData><Point><coordinates>15,49</coordinates></Point></Placemark>"));
    const TRead read = ReadKml(t / "a.kml");
    ASSERT_EQ(read.Waypoints.size(), 2u);
    const TWaypointFields& cafe = read.Waypoints[0];
    EXPECT_EQ(cafe.Point.Name, "Cafe@30");  // the "@" rule is the loader's
    EXPECT_EQ(cafe.Point.Description, "<b>Open</b> daily");
    EXPECT_EQ(cafe.Point.Street, "Narodni 1, Praha");
    EXPECT_EQ(cafe.Point.Phone, "+420 1");  // the placemark's own element wins
    EXPECT_EQ(cafe.Point.Email, "cafe@example.org");
    EXPECT_EQ(cafe.Point.Url, "https://example.org");
    EXPECT_EQ(cafe.Point.City, "Praha");
    EXPECT_EQ(cafe.Point.PostalCode, "110 00");
    EXPECT_EQ(cafe.Speed, "50");
    EXPECT_EQ(cafe.Proximity, "120");
    EXPECT_EQ(cafe.TranslationOrder, std::vector<TLocalized>{TLocalized::Name});
    const TGpiText& names = cafe.Point.Translations[TLocalized::Name];
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].Language, "DE");
    EXPECT_EQ(names[0].Text, "Kaffeehaus");
    const TWaypointFields& gdal = read.Waypoints[1];
    EXPECT_EQ(gdal.Point.Name, "From GDAL");
    EXPECT_EQ(gdal.Point.Country, "CZ");
    EXPECT_EQ(gdal.Point.Description, "long text");
    EXPECT_EQ(read.Findings, "");
}

TEST(KmlReader, CoordinatesAndTheirProblems) {
    struct Case {
        const char* Text;
        double Lat, Lon;
        const char* Problem;
    };
    const Case cases[] = {
        {"14.5,50.25", 50.25, 14.5, ""},
        {"\n   14.5 , 50.25 ,300  \n", 50.25, 14.5, ""},
        {"14.5,50.25,0 15,51,0", 50.25, 14.5, ""},
        {"-0.000001,-89.999999", -89.999999, -0.000001, ""},
        {"14.5", 0, 14.5, "latitude missing"},
        {"abc,50", 50, 0, "longitude \"abc\" is no number"},
        {"", 0, 0, "longitude missing"},
        {"14,5;50", 0, 14, "latitude \"5;50\" is no number"},
    };
    for (const auto& c : cases) {
        TWaypointFields waypoint;
        ReadKmlCoordinates(c.Text, waypoint);
        EXPECT_EQ(waypoint.CoordinateProblem, c.Problem) << c.Text;
        if (*c.Problem == 0) {
            EXPECT_DOUBLE_EQ(waypoint.Point.Lat, c.Lat) << c.Text;
            EXPECT_DOUBLE_EQ(waypoint.Point.Lon, c.Lon) << c.Text;
        }
    }
}

TEST(KmlReader, MultiGeometryPointsEachAndWhatIsNoPointCounted) {
    TempDir t;
    WriteFile(t / "a.kml",
              Kml("<Placemark><name>Two gates</name><MultiGeometry><Point><coordinates>14,50</coordinates></Point>"
                  "<LineString><coordinates>1,2 3,4</coordinates></LineString>"
                  "<MultiGeometry><Point><coordinates>15,51</coordinates></Point></MultiGeometry></MultiGeometry></Placemark>"
                  "<Placemark><name>Lake</name><Polygon><outerBoundaryIs><LinearRing><coordinates>1,2 3,4 1,2"
                  "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>"
                  "<Placemark><name>Road</name><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"
                  "<Placemark><name>Nowhere</name></Placemark>"
                  "<GroundOverlay><name>Map</name><Icon><href>map.png</href></Icon></GroundOverlay>"
                  "<NetworkLink><name>Live</name><Link><href>http://x/y.kml</href></Link></NetworkLink>"
                  "<Placemark><name>House</name><Model><Link><href>h.dae</href></Link></Model></Placemark>"));
    const TRead read = ReadKml(t / "a.kml");
    ASSERT_EQ(read.Waypoints.size(), 2u);
    EXPECT_EQ(read.Entries, 2);
    EXPECT_EQ(read.Waypoints[0].Point.Name, "Two gates");
    EXPECT_DOUBLE_EQ(read.Waypoints[0].Point.Lat, 50);
    EXPECT_EQ(read.Waypoints[1].Point.Name, "Two gates");
    EXPECT_DOUBLE_EQ(read.Waypoints[1].Point.Lat, 51);
    EXPECT_EQ(read.Findings,
              "note not points: 2 lines, 1 polygon, 1 model, 1 overlay, 1 network link and 1 placemark without a place "
              "not converted: only points are\n");
}

TEST(KmlReader, StylesGiveIcons) {
    TempDir t;
    WriteFile(t / "a.kml",
              Kml("<Style id=\"cafe\"><IconStyle><Icon><href>icons/cafe.png</href></Icon></IconStyle></Style>"
                  "<Style id=\"cafe-hl\"><IconStyle><scale>1.3</scale><Icon><href>icons/big.png</href></Icon></IconStyle></Style>"
                  "<Style id=\"plain\"><LabelStyle><scale>0</scale></LabelStyle></Style>"
                  "<StyleMap id=\"m-cafe\"><Pair><key>highlight</key><styleUrl>#cafe-hl</styleUrl></Pair>"
                  "<Pair><key>normal</key><styleUrl>#cafe</styleUrl></Pair></StyleMap>"
                  "<StyleMap id=\"m-inline\"><Pair><key>normal</key><Style><IconStyle><Icon><href>inline.gif</href>"
                  "</Icon></IconStyle></Style></Pair></StyleMap>"
                  "<Style id=\"web\"><IconStyle><Icon><href>https://maps.example/pin.png</href></Icon></IconStyle></Style>" +
                  Placemark("Map", "14,50", "<styleUrl>#m-cafe</styleUrl>") +
                  Placemark("Style", "14,50", "<styleUrl>#cafe</styleUrl>") +
                  Placemark("Inline map", "14,50", "<styleUrl>#m-inline</styleUrl>") +
                  Placemark("Own style", "14,50",
                            "<styleUrl>#cafe</styleUrl><Style><IconStyle><Icon><href>own.bmp</href></Icon></IconStyle></Style>") +
                  Placemark("No icon", "14,50", "<styleUrl>#plain</styleUrl>") +
                  Placemark("Web 1", "14,50", "<styleUrl>#web</styleUrl>") +
                  Placemark("Web 2", "14,50", "<styleUrl>#web</styleUrl>") +
                  Placemark("Later", "14,50", "<styleUrl>#later</styleUrl>") +
                  Placemark("Elsewhere", "14,50", "<styleUrl>other.kml#cafe</styleUrl>") +
                  Placemark("Later map", "14,50", "<styleUrl>#m-later</styleUrl>") +
                  Placemark("Never", "14,50", "<styleUrl>#never</styleUrl>") +
                  "<StyleMap id=\"m-later\"><Pair><key>normal</key><styleUrl>#later</styleUrl></Pair></StyleMap>"
                  "<Style id=\"later\"><IconStyle><Icon><href>later.png</href></Icon></IconStyle></Style>"));
    const TRead read = ReadKml(t / "a.kml");
    std::vector<std::string> icons;
    for (const auto& waypoint : read.Waypoints) {
        icons.push_back(waypoint.Icon);
        EXPECT_FALSE(waypoint.IconContent);
    }
    // Placemarks naming a style defined further on follow when the document ends.
    std::vector<std::string> names;
    for (const auto& waypoint : read.Waypoints) names.push_back(waypoint.Point.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Map", "Style", "Inline map", "Own style", "No icon", "Web 1", "Web 2",
                                               "Elsewhere", "Later", "Later map", "Never"}));
    EXPECT_EQ(icons, (std::vector<std::string>{"icons/cafe.png", "icons/cafe.png", "inline.gif", "own.bmp", "", "", "",
                                               "", "later.png", "later.png", ""}));
    EXPECT_EQ(read.Entries, 11);
    EXPECT_EQ(read.Findings,
              "note web icons: 1 icon on the web not fetched; the category's icon beside the file stands in where there is one\n"
              "note styles: 2 placemarks name a style not defined in the file; no icon taken from it\n");
}

// A document that breaks off still hands over the placemarks held for a
// style it never reached: their points are not lost with the error.
TEST(KmlReader, HeldPlacemarksSurviveADocumentThatBreaksOff) {
    TempDir t;
    WriteFile(t / "a.kml", "<?xml version=\"1.0\"?>\n<kml><Document>" +
                               Placemark("Held", "14,50", "<styleUrl>#later</styleUrl>") + Placemark("Plain", "14,51") +
                               "<Placemark><name>Cut");
    XmlCodePage = 65001;
    std::vector<std::string> names;
    TKmlFindings findings;
    EXPECT_ANY_THROW(ReadKmlWaypoints((t / "a.kml").string(),
                                      [&](TWaypointFields& waypoint) { names.push_back(waypoint.Point.Name); }, {}, findings));
    EXPECT_EQ(names, (std::vector<std::string>{"Plain", "Held"}));
    EXPECT_EQ(findings.Text, "note styles: 1 placemark names a style not defined in the file; no icon taken from it\n");
}

// Points held for styles defined further on are bounded: up to the limit
// they wait for their icon, past it they go on at once without one.
TEST(KmlReader, HeldPointsStopAtTheLimit) {
    TempDir t;
    WriteFile(t / "a.kml", Kml(Placemark("A", "14,50", "<styleUrl>#late</styleUrl>") +
                               Placemark("B", "14,50", "<styleUrl>#late</styleUrl>") +
                               Placemark("C", "14,50", "<styleUrl>#late</styleUrl>") + Placemark("D", "14,50") +
                               "<Style id=\"late\"><IconStyle><Icon><href>late.png</href></Icon></IconStyle></Style>"));
    XmlCodePage = 65001;
    for (std::size_t limit : {2u, 3u}) {
        std::vector<std::string> taken;
        TKmlFindings findings;
        TKmlParser parser([&](TWaypointFields& waypoint) { taken.push_back(waypoint.Point.Name + ":" + waypoint.Icon); },
                          findings, [](const std::string& href, TWaypointFields& waypoint) { waypoint.Icon = href; }, limit);
        EXPECT_EQ(parser.Read([&](IXmlDocument& document) { document.LoadFromFile((t / "a.kml").string()); }, {}), 4);
        parser.TellNotes();
        if (limit == 2) {
            EXPECT_EQ(taken, (std::vector<std::string>{"C:", "D:", "A:late.png", "B:late.png"}));
            EXPECT_EQ(findings.Text, "note styles held: 1 placemark names a style not defined before it, past the 2 points "
                                     "held for styles defined further on; no icon taken from it\n");
        } else {
            EXPECT_EQ(taken, (std::vector<std::string>{"D:", "A:late.png", "B:late.png", "C:late.png"}));
            EXPECT_EQ(findings.Text, "");
        }
    }
}

TEST(KmlReader, OtherFilesAreSaidToBeNoKml) {
    TempDir t;
    WriteFile(t / "a.kml", "lat,lon\n1,2\n");
    WriteFile(t / "empty.kml", "");
    EXPECT_EQ(ReadKml(t / "a.kml").Findings, "warning not KML: not a KML file: it starts with \"lat,lon\"\n");
    EXPECT_EQ(ReadKml(t / "empty.kml").Findings, "warning not KML: not a KML file: it is empty\n");
}

}  // namespace
}  // namespace kestro
