// KML files as sources through the real program: folders become categories,
// styles give icons, and what is no point is said.
#include <gtest/gtest.h>

#include "cli/ConversionKmlSupport.h"

namespace kestro::conversion_test {
namespace {

TEST(KmlFiles, FoldersBecomeCategoriesBesideTheGroupsOtherFiles) {
    TempDir t;
    WriteFile(t / "src/Trip/trip.kml",
              KmlDocument(KmlStyle("cafe", "icons/cafe.png") +
                          KmlPlacemark("Station", "14.4355,50.0833") +
                          "<Folder><name>Caf\xC3\xA9s</name>" +
                          KmlPlacemark("Slavia", "14.4133,50.0815", "cafe", "<description>Since 1884</description>") +
                          KmlPlacemark("Louvre@30", "14.4189,50.0821", "cafe") + "</Folder>"
                          "<Folder><name>Museums</name>" + KmlPlacemark("National", "14.4307,50.0790") +
                          "<Placemark><name>Walk</name><LineString><coordinates>14.41,50.08 14.42,50.09</coordinates>"
                          "</LineString></Placemark></Folder>"));
    WriteFile(t / "src/Trip/icons/cafe.png", test::PngFile(test::SolidPicture(12, 12, 0xFF804020), false));
    WriteFile(t / "src/Trip/walks.gpx", Gpx(Named("50.09", "14.40", "Castle")));
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(ProgressLines(run.Output),
              "Group: Trip\n  File: src/Trip/trip.kml\n  Category: trip\n  Category: Caf\xC3\xA9s\n"
              "  Icon: src/Trip/icons/cafe.png\n  Category: Museums\n    4 POIs\n"
              "  Category: walks\n  File: src/Trip/walks.gpx\n    1 POIs\n");
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{"kestro: note: src/Trip/trip.kml: 1 line not converted: only points are"}));
    ASSERT_EQ(run.File.Groups.size(), 1u);
    const TGpiGroup& group = run.File.Groups[0];
    EXPECT_EQ(CategoryNames(group), (std::vector<Bytes>{"trip", "Caf\xE9s", "Museums", "walks"}));
    EXPECT_EQ(group.Bitmaps.size(), 1u);
    EXPECT_EQ(CategoryOf(run.Point("Station")), 0);
    EXPECT_EQ(CategoryOf(run.Point("Slavia")), 1);
    EXPECT_EQ(CategoryOf(run.Point("Louvre")), 1);
    EXPECT_EQ(CategoryOf(run.Point("National")), 2);
    EXPECT_EQ(CategoryOf(run.Point("Castle")), 3);
    EXPECT_EQ(BitmapOf(run.Point("Slavia")), 0);
    EXPECT_EQ(BitmapOf(run.Point("National")), -1);
    // "@30" in the name is the speed alert, as in GPX files.
    ASSERT_NE(run.Point("Louvre").Alert(), nullptr);
    EXPECT_EQ(run.Point("Louvre").Alert()->Speed, 833);
    EXPECT_EQ(GpsBabelNamesAndPlaces(run.Destination),
              (std::vector<std::string>{"Castle,50.090000,14.400000", "Louvre@30,50.082100,14.418900",
                                        "National,50.079000,14.430700", "Slavia,50.081500,14.413300",
                                        "Station,50.083300,14.435500"}));
}

TEST(KmlFiles, LooseFileIsAGroupOfItsFoldersAndTheSettingTurnsKmlOff) {
    TempDir t;
    WriteFile(t / "src/Camps.KML",
              KmlDocument("<Folder><name>North</name><Folder><name>Lakes</name>" + KmlPlacemark("Lipno", "14.2,48.6") +
                          "</Folder>" + KmlPlacemark("Krkonose", "15.6,50.7") + "</Folder>"));
    const auto on = ConvertKml(t / "src");
    ASSERT_EQ(on.ExitCode, 0) << on.Output;
    EXPECT_EQ(ProgressLines(on.Output),
              "Group: Camps\n  File: src/Camps.KML\n  Category: North / Lakes\n  Category: North\n    2 POIs\n");
    ASSERT_EQ(on.File.Groups.size(), 1u);
    EXPECT_EQ(CategoryNames(on.File.Groups[0]), (std::vector<Bytes>{"North / Lakes", "North"}));

    WriteFile(t / "src/kestro.ini", "[kestro]\nkml=0\n");
    WriteFile(t / "src/g/a.gpx", Gpx(Named("50", "14", "A")));
    WriteFile(t / "src/g/b.kmz", "not read");
    const auto off = ConvertKml(t / "src");
    ASSERT_EQ(off.ExitCode, 0) << off.Output;
    EXPECT_EQ(ProgressLines(off.Output), "Group: g\n  Category: a\n  File: src/g/a.gpx\n    1 POIs\n");
    EXPECT_EQ(off.GroupNames(), (std::vector<Bytes>{"g"}));
}

TEST(KmlFiles, FolderNamesTakeTheirTranslationsFromTheSettings) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\nlanguages=EN,DE\n[DE]\nTrip/Museums=Museen\nTrip=Reise\n");
    WriteFile(t / "src/Trip/a.kml", KmlDocument("<Folder><name>Museums</name>" + KmlPlacemark("M", "14,50") + "</Folder>"));
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_EQ(run.File.Groups.size(), 1u);
    ASSERT_EQ(run.File.Groups[0].Categories.size(), 1u);
    const TGpiText& name = run.File.Groups[0].Categories[0].Name;
    ASSERT_EQ(name.size(), 2u);
    EXPECT_EQ(name[0].Text, "Museums");
    EXPECT_EQ(name[1].Language, "DE");
    EXPECT_EQ(name[1].Text, "Museen");
}

// A style defined at the end of the document gives its icon to the
// placemarks before it, which follow the others (their category too).
TEST(KmlFiles, StyleDefinedAtTheEndGivesItsIcon) {
    TempDir t;
    WriteFile(t / "src/Trip/trip.kml",
              KmlDocument("<Folder><name>Outer</name><Folder><name>Inner</name>" + KmlPlacemark("Deep", "14.41,50.08", "late") +
                          "</Folder>" + KmlPlacemark("Shallow", "14.42,50.09") + "</Folder>" +
                          KmlPlacemark("Lost", "14.43,50.10", "never") + KmlStyle("late", "icons/late.png")));
    WriteFile(t / "src/Trip/icons/late.png", test::PngFile(test::SolidPicture(10, 10, 0xFF204080), false));
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(ProgressLines(run.Output), "Group: Trip\n  File: src/Trip/trip.kml\n  Category: Outer\n  Category: Outer / Inner\n"
                                         "  Icon: src/Trip/icons/late.png\n  Category: trip\n    3 POIs\n");
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{"kestro: note: src/Trip/trip.kml: 1 placemark names a style not defined in the file; "
                                        "no icon taken from it"}));
    ASSERT_EQ(run.File.Groups.size(), 1u);
    EXPECT_EQ(run.File.Groups[0].Bitmaps.size(), 1u);
    EXPECT_EQ(BitmapOf(run.Point("Deep")), 0);
    EXPECT_EQ(BitmapOf(run.Point("Lost")), -1);
    EXPECT_EQ(CategoryOf(run.Point("Deep")), 1);
}

}  // namespace
}  // namespace kestro::conversion_test
