// KMZ archives, made with the zip library's own writer: the document at the
// root, icons inside, and archives that are hostile or broken.
#include <gtest/gtest.h>

#include "kml/KmlReader.h"
#include "kml/KmlTestFindings.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"
#include "support/TestZip.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::TKmlFindings;
using test::TZipMember;
using test::WriteZip;

struct TRead {
    std::vector<TWaypointFields> Waypoints;
    std::int32_t Entries = 0;
    std::string Findings;
};

TRead ReadKmz(const std::filesystem::path& path, std::uint64_t limit = MaxKmzDocumentBytes) {
    XmlCodePage = 65001;
    TRead read;
    TKmlFindings findings;
    read.Entries = ReadKmzWaypoints(path.string(), [&](TWaypointFields& waypoint) { read.Waypoints.push_back(waypoint); },
                                    {}, findings, limit);
    read.Findings = findings.Text;
    return read;
}

std::string Kml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>" + body +
           "</Document></kml>\n";
}

std::string Styled(const std::string& name, const std::string& href) {
    return "<Style id=\"" + name + "\"><IconStyle><Icon><href>" + href + "</href></Icon></IconStyle></Style>";
}

std::string Placemark(const std::string& name, const std::string& style = "") {
    return "<Placemark><name>" + name + "</name>" + (style.empty() ? "" : "<styleUrl>#" + style + "</styleUrl>") +
           "<Point><coordinates>14.4,50.1</coordinates></Point></Placemark>";
}

TEST(KmzArchive, IconsInsideTheArchiveAndNamesThatClimbOut) {
    TempDir t;
    const Bytes png = test::PngFile(test::SolidPicture(8, 8, 0xFFFF0000), false);
    WriteZip(t / "trip.kmz",
             {{"images/", ""},
              {"images/cafe.png", png},
              {"doc.kml", Kml(Styled("cafe", "images/cafe.png") + Styled("dot", "./images/../images/cafe.png") +
                              Styled("out", "../images/cafe.png") + Styled("gone", "images/gone.png") +
                              Placemark("A", "cafe") + Placemark("B", "dot") + Placemark("C", "out") +
                              Placemark("D", "gone") + Placemark("E", "gone"))}});
    const TRead read = ReadKmz(t / "trip.kmz");
    ASSERT_EQ(read.Waypoints.size(), 5u);
    const std::string inside = (t / "trip.kmz").string() + "/images/cafe.png";
    for (int i : {0, 1}) {
        EXPECT_EQ(read.Waypoints[i].Icon, inside);
        ASSERT_TRUE(read.Waypoints[i].IconContent);
        EXPECT_EQ(*read.Waypoints[i].IconContent, png);
    }
    // The same picture is read once and shared.
    EXPECT_EQ(read.Waypoints[0].IconContent.get(), read.Waypoints[1].IconContent.get());
    for (int i : {2, 3, 4}) EXPECT_FALSE(read.Waypoints[i].IconContent) << i;
    EXPECT_EQ(read.Findings, "warning icon ../images/cafe.png: icon ../images/cafe.png inside the archive not used: not in the archive\n"
                             "warning icon images/gone.png: icon images/gone.png inside the archive not used: not in the archive\n");
}

TEST(KmzArchive, TheFirstKmlAtTheRootIsTheDocument) {
    TempDir t;
    WriteZip(t / "a.kmz", {{"layers/inner.kml", Kml(Placemark("Inner"))},
                           {"../up.kml", Kml(Placemark("Up"))},
                           {"readme.txt", "x"},
                           {"Doc.KML", Kml(Placemark("Root"))},
                           {"z.kml", Kml(Placemark("Second"))}});
    const TRead read = ReadKmz(t / "a.kmz");
    ASSERT_EQ(read.Waypoints.size(), 1u);
    EXPECT_EQ(read.Waypoints[0].Point.Name, "Root");

    WriteZip(t / "none.kmz", {{"../doc.kml", Kml(Placemark("Up"))}, {"images/doc.kml", Kml(Placemark("Inner"))}});
    EXPECT_EQ(ReadKmz(t / "none.kmz").Findings,
              "warning archive: not read: no KML document (\".kml\") at the root of the archive\n");
}

TEST(KmzArchive, BrokenArchivesAreSaidAndReadNoFurther) {
    TempDir t;
    WriteZip(t / "whole.kmz", {{"doc.kml", Kml(Placemark("A") + Placemark("B")), 4000}});
    const Bytes whole = test::ReadFile(t / "whole.kmz");
    test::WriteFile(t / "cut.kmz", whole.substr(0, whole.size() / 2));
    test::WriteFile(t / "text.kmz", "<kml/>");
    test::WriteFile(t / "empty.kmz", "");
    for (const char* name : {"cut.kmz", "text.kmz", "empty.kmz"}) {
        const TRead read = ReadKmz(t / name);
        EXPECT_EQ(read.Entries, 0) << name;
        EXPECT_EQ(read.Findings, "warning archive: not read: not a zip archive, or a damaged one\n") << name;
    }
    // A stored document with a byte changed: its checksum fails.
    WriteZip(t / "stored.kmz", {{"doc.kml", Kml(Placemark("A") + Placemark("B")), 0, true}});
    Bytes stored = test::ReadFile(t / "stored.kmz");
    const auto at = stored.find("<name>B");
    ASSERT_NE(at, std::string::npos);
    stored[at + 6] = 'C';
    test::WriteFile(t / "stored.kmz", stored);
    const TRead changed = ReadKmz(t / "stored.kmz");
    EXPECT_EQ(changed.Waypoints.size(), 2u);
    EXPECT_EQ(changed.Findings, "warning archive: doc.kml inside the archive damaged; what could be unpacked is read\n");
}

TEST(KmzArchive, TheDocumentIsReadUpToItsBound) {
    TempDir t;
    const std::string document = Kml(Placemark("A") + Placemark("B"));
    WriteZip(t / "a.kmz", {{"doc.kml", document}});
    const std::uint64_t size = document.size();
    for (const std::uint64_t limit : {size + 1, size}) {
        const TRead read = ReadKmz(t / "a.kmz", limit);
        EXPECT_EQ(read.Waypoints.size(), 2u) << limit;
        EXPECT_EQ(read.Findings, "") << limit;
    }
    // One byte short: the closing tags are missing; what was read is kept and the cut is said.
    const TRead cut = ReadKmz(t / "a.kmz", size - 1);
    EXPECT_EQ(cut.Waypoints.size(), 2u);
    EXPECT_EQ(cut.Findings, "warning archive: doc.kml inside the archive more than " + std::to_string(size - 1) +
                                " bytes unpacked; the rest is not read\n");
    // Blanks far beyond the bound after the first placemark: a bomb.
    WriteZip(t / "bomb.kmz", {{"doc.kml", "<kml><Document>" + Placemark("First"), 50u << 20}});
    const TRead bomb = ReadKmz(t / "bomb.kmz", 1u << 20);
    ASSERT_EQ(bomb.Waypoints.size(), 1u);
    EXPECT_EQ(bomb.Findings, "warning archive: doc.kml inside the archive more than 1048576 bytes unpacked; the rest is not read\n");
}

}  // namespace
}  // namespace kestro
