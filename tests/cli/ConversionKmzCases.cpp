// KMZ archives as a map service exports them, and hostile ones, through the
// real program; the archives are made with the zip library's own writer.
#include <gtest/gtest.h>

#include "cli/ConversionKmlSupport.h"
#include <cstdio>
#include <random>

#include "support/TestZip.h"

namespace kestro::conversion_test {
namespace {

using test::TZipMember;
using test::WriteZip;

std::string StyleMap(const std::string& id, const std::string& href) {
    return KmlStyle(id + "-normal", href) + KmlStyle(id + "-highlight", href) + "<StyleMap id=\"" + id +
           "\"><Pair><key>normal</key><styleUrl>#" + id + "-normal</styleUrl></Pair><Pair><key>highlight</key><styleUrl>#" +
           id + "-highlight</styleUrl></Pair></StyleMap>";
}

// Two layers with their icons in images/, a line, a placemark without a
// name and CDATA descriptions, as a map service writes them.
TEST(KmzFiles, MapServiceExportConvertsInOneRun) {
    TempDir t;
    const Bytes cup = test::PngFile(test::SolidPicture(32, 32, 0xFF6B4226), true);
    const Bytes column = test::PngFile(test::SolidPicture(64, 64, 0xFF1E6FD9), true);
    const std::string doc = KmlDocument(
        StyleMap("icon-cafe", "images/icon-1.png") + StyleMap("icon-museum", "images/icon-2.png") +
        "<Folder><name>Caf\xC3\xA9s</name>" +
        KmlPlacemark("Slavia", "\n            14.4133,50.0815,0\n          ", "icon-cafe",
                     "<description><![CDATA[Open daily & since 1884]]></description>") +
        KmlPlacemark("", "14.4189,50.0821,0", "icon-cafe") + "</Folder>"
        "<Folder><name>Museums</name>" +
        KmlPlacemark("National Museum", "14.4307,50.0790,0", "icon-museum",
                     "<description><![CDATA[<img src=\"x.jpg\"/>Wenceslas Square]]></description>") +
        "<Placemark><name>Walk</name><LineString><tessellate>1</tessellate><coordinates>14.41,50.08,0 14.42,50.09,0"
        "</coordinates></LineString></Placemark></Folder>");
    WriteZip(t / "src/Prague trip.kmz", {{"doc.kml", doc}, {"images/icon-1.png", cup, 0, true}, {"images/icon-2.png", column}});
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(ProgressLines(run.Output),
              "Group: Prague trip\n  File: src/Prague trip.kmz\n  Category: Caf\xC3\xA9s\n"
              "  Icon: src/Prague trip.kmz/images/icon-1.png\n  Category: Museums\n"
              "  Icon: src/Prague trip.kmz/images/icon-2.png\n    3 POIs\n");
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
                  "kestro: note: src/Prague trip.kmz: icon src/Prague trip.kmz/images/icon-2.png: 64 x 64 pixels, scaled down to 48 x 48",
                  "kestro: note: src/Prague trip.kmz: 1 line not converted: only points are"}));
    ASSERT_EQ(run.File.Groups.size(), 1u);
    const TGpiGroup& group = run.File.Groups[0];
    EXPECT_EQ(TextOf(group.Name), "Prague trip");
    EXPECT_EQ(CategoryNames(group), (std::vector<Bytes>{"Caf\xE9s", "Museums"}));
    ASSERT_EQ(group.Bitmaps.size(), 2u);
    EXPECT_EQ(group.Bitmaps[0].Width, 32);
    EXPECT_EQ(group.Bitmaps[1].Width, 48);
    EXPECT_EQ(CategoryOf(run.Point("Slavia")), 0);
    EXPECT_EQ(BitmapOf(run.Point("Slavia")), 0);
    EXPECT_EQ(CategoryOf(run.Point("")), 0);
    EXPECT_EQ(BitmapOf(run.Point("")), 0);
    EXPECT_EQ(CategoryOf(run.Point("National Museum")), 1);
    EXPECT_EQ(BitmapOf(run.Point("National Museum")), 1);
    // A short plain description becomes the comment; one with markup stays the description, as it is.
    const auto* comment = FindPart<TGpiComment>(run.Point("Slavia"));
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(TextOf(comment->Text), "Open daily & since 1884");
    const auto* description = FindPart<TGpiDescription>(run.Point("National Museum"));
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(TextOf(description->Text), "<img src=\"x.jpg\"/>Wenceslas Square");
    EXPECT_EQ(GpsBabelNamesAndPlaces(run.Destination),
              (std::vector<std::string>{",50.082100,14.418900", "National Museum,50.079000,14.430700",
                                        "Slavia,50.081500,14.413300"}));
}

// ExtendedData links name files inside the archive first, then beside it:
// a photo inside is embedded from the archive, one only beside it from the
// disk; what inside is no photo, or no picture, is named in a warning.
TEST(KmzFiles, LinkedPhotosAreTakenFromInsideTheArchive) {
    TempDir t;
    const Bytes cup = test::PngFile(test::SolidPicture(8, 8, 0xFF6B4226), false);
    auto data = [](const std::string& href) { return "<Data name=\"image\"><value>" + href + "</value></Data>"; };
    const std::string doc = KmlDocument(
        KmlPlacemark("Inside", "14.41,50.08", "", "<ExtendedData>" + data("photos/cup.png") + "</ExtendedData>") +
        KmlPlacemark("Beside", "14.42,50.09", "", "<ExtendedData>" + data("beside.png") + "</ExtendedData>") +
        KmlPlacemark("Odd", "14.43,50.10", "",
                     "<ExtendedData>" + data("voice/bell.wav") + data("photos/bad.jpg") + "</ExtendedData>"));
    WriteZip(t / "src/trip.kmz", {{"doc.kml", doc}, {"photos/cup.png", cup}, {"photos/bad.jpg", "no picture"},
                                  {"voice/bell.wav", "RIFF"}});
    // Links resolve from the working folder: beside.png there is what "Beside" names; the
    // larger photos/cup.png there loses to the archive's.
    WriteFile(t / "beside.png", cup);
    WriteFile(t / "photos/cup.png", test::PngFile(test::SolidPicture(64, 64, 0xFF1E6FD9), false));
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    auto photos = [&](const std::string& name) {
        std::vector<Bytes> found;
        for (const auto& part : run.Point(name).Parts)
            if (const auto* image = std::get_if<TGpiImage>(&part)) found.push_back(image->Data);
        return found;
    };
    ASSERT_EQ(photos("Inside").size(), 1u);
    EXPECT_EQ(photos("Inside")[0].substr(0, 2), Bytes("\xFF\xD8", 2));  // made into a JPEG
    EXPECT_TRUE(photos("Beside") == photos("Inside"));  // the same picture, from the disk
    EXPECT_TRUE(photos("Odd").empty());
    const auto warnings = LinesStarting(run.Output, "kestro: warning: ");
    ASSERT_EQ(warnings.size(), 2u) << run.Output;
    EXPECT_EQ(warnings[0], "kestro: warning: src/trip.kmz: link src/trip.kmz/voice/bell.wav not used: only photos are "
                           "taken from inside an archive");
    EXPECT_EQ(warnings[1].rfind("kestro: warning: src/trip.kmz: photo src/trip.kmz/photos/bad.jpg not used: ", 0), 0u)
        << warnings[1];
}

TEST(KmzFiles, HostileArchivesAreNamedAndTheRunGoesOn) {
    TempDir t;
    const std::string one = KmlDocument(KmlPlacemark("Kept", "14.5,50.5"));
    // Gigabytes of blanks after the first placemark: read up to the bound.
    WriteZip(t / "src/bomb.kmz", {{"doc.kml", "<kml><Document>" + KmlPlacemark("Before the blanks", "14,50"),
                                   (512u << 20) + (1u << 20)}});
    // Names that climb out are never paths: nothing is written or read beside the archive.
    WriteZip(t / "src/climb.kmz", {{"../climb.kml", one}, {"../../icon.png", "x"}});
    WriteZip(t / "src/nokml.kmz", {{"readme.txt", "nothing"}});
    WriteZip(t / "src/whole.kmz", {{"doc.kml", one}});
    const Bytes whole = ReadFile(t / "src/whole.kmz");
    WriteFile(t / "src/cut.kmz", whole.substr(0, whole.size() - 30));
    fs::remove(t / "src/whole.kmz");
    WriteFile(t / "src/ok.gpx", Gpx(Named("49", "15", "Fine")));
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "),
              (std::vector<std::string>{
                  "kestro: warning: src/bomb.kmz: doc.kml inside the archive more than 536870912 bytes unpacked; the rest is not read",
                  "kestro: warning: src/climb.kmz: not read: no KML document (\".kml\") at the root of the archive",
                  "kestro: warning: src/cut.kmz: not read: not a zip archive, or a damaged one",
                  "kestro: warning: src/nokml.kmz: not read: no KML document (\".kml\") at the root of the archive"}));
    EXPECT_FALSE(fs::exists(t / "climb.kml"));
    EXPECT_EQ(run.GroupNames(), (std::vector<Bytes>{"bomb", "ok"}));
    EXPECT_EQ(GpsBabelNamesAndPlaces(run.Destination),
              (std::vector<std::string>{"Before the blanks,50.000000,14.000000", "Fine,49.000000,15.000000"}));
}

// Inflating a deflated document with one byte changed often gives text, not
// a fault: only the member's sum at its end tells. Whatever byte of its data
// is changed, the archive is told as damaged (or reads cleanly), never ends
// the run as an XML error, and the other files' points are written.
TEST(KmzFiles, DocumentDamagedAnywhereIsToldAndTheRunGoesOn) {
    TempDir t;
    std::string placemarks;
    for (int i = 0; i < 40; ++i)
        placemarks += KmlPlacemark("Point " + std::to_string(i),
                                   "14." + std::to_string(1000 + i * 37) + ",50." + std::to_string(1000 + i * 91));
    WriteZip(t / "whole.kmz", {{"doc.kml", KmlDocument(placemarks)}});
    const Bytes whole = ReadFile(t / "whole.kmz");
    auto number = [&whole](std::size_t at, int bytes) {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(whole[at + i]);
        return value;
    };
    // The only member's deflated data, after its local header.
    ASSERT_EQ(whole.substr(0, 4), Bytes("PK\3\4", 4));
    const std::size_t start = 30 + number(26, 2) + number(28, 2), size = number(18, 4);
    ASSERT_GT(size, 300u);
    ASSERT_LE(start + size, whole.size());
    for (std::size_t at = start; at < start + size; ++at) {
        Bytes flipped = whole;
        flipped[at] = static_cast<char>(~flipped[at]);
        WriteFile(t / "src" / ("at " + std::to_string(at) + ".kmz"), flipped);
    }
    WriteFile(t / "src/ok.gpx", Gpx(Named("49", "15", "Fine")));
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output.substr(0, 2000);
    const auto warnings = LinesStarting(run.Output, "kestro: warning: ");
    std::size_t damaged = 0;
    for (std::size_t at = start; at < start + size; ++at) {
        const std::string file = "src/at " + std::to_string(at) + ".kmz: ";
        std::size_t told = 0;
        bool toldDamaged = false;
        for (const auto& line : warnings) {
            if (line.rfind("kestro: warning: " + file, 0) != 0) continue;
            ++told;
            toldDamaged |= line == "kestro: warning: " + file +
                                       "doc.kml inside the archive damaged; what could be unpacked is read";
        }
        damaged += toldDamaged ? 1 : 0;
        EXPECT_TRUE(toldDamaged || told == 0) << "byte " << at << " changed: warned, but not as damaged";
    }
    EXPECT_GT(damaged, size * 9 / 10);
    EXPECT_EQ(TextOf(run.Point("Fine").Name), "Fine");
}

// The icon is read from the archive at the first placemark, while most of a
// long document is still to unpack: both go on, every point is written.
TEST(KmzFiles, LongDocumentReadsOnPastItsIcons) {
    TempDir t;
    std::string placemarks;
    for (int i = 0; i < 3000; ++i)
        placemarks += KmlPlacemark("Point " + std::to_string(i), "14." + std::to_string(1000 + i) + ",50.5", "pin");
    const std::string doc = KmlDocument(KmlStyle("pin", "images/pin.png") + placemarks);
    ASSERT_GT(doc.size(), 4u << 16);
    const Bytes pin = test::PngFile(test::SolidPicture(8, 8, 0xFF1E6FD9), false);
    WriteZip(t / "src/long.kmz", {{"doc.kml", doc}, {"images/pin.png", pin}});
    const auto run = ConvertKml(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "kestro: "), std::vector<std::string>{});
    EXPECT_EQ(run.Points().size(), 3000u);
    EXPECT_EQ(BitmapOf(run.Point("Point 2999")), 0);
}

// An intact archive whose document is no well-formed XML ends the run as the
// same document beside it, loose, does.
TEST(KmzFiles, IntactDocumentThatIsNoXmlEndsTheRunAsALooseOneDoes) {
    const std::string doc = KmlDocument(KmlPlacemark("A", "14,50") + "<Placemark><name>B</nme></Placemark>");
    TempDir loose, packed;
    WriteFile(loose / "src/trip.kml", doc);
    WriteZip(packed / "src/trip.kmz", {{"doc.kml", doc}});
    for (const auto* t : {&loose, &packed}) WriteFile(*t / "src/ok.gpx", Gpx(Named("49", "15", "Fine")));
    const auto fromLoose = ConvertKml(loose / "src");
    const auto fromPacked = ConvertKml(packed / "src");
    EXPECT_EQ(fromLoose.ExitCode, 4) << fromLoose.Output;
    EXPECT_EQ(fromPacked.ExitCode, fromLoose.ExitCode) << fromPacked.Output;
    const auto errors = LinesStarting(fromLoose.Output, "Exception: ");
    ASSERT_EQ(errors.size(), 1u) << fromLoose.Output;
    EXPECT_EQ(errors[0].rfind("Exception: src/trip.kml: Text \"ame\" expected", 0), 0u) << errors[0];
    EXPECT_EQ(LinesStarting(fromPacked.Output, "Exception: "),
              (std::vector<std::string>{"Exception: src/trip.kmz" + errors[0].substr(23)}));
}

}  // namespace
}  // namespace kestro::conversion_test

namespace kestro::conversion_test {
namespace {

std::string RandomPoints(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> lat(-89.5, 89.5), lon(-179.5, 179.5);
    std::string body;
    for (int i = 0; i < count; ++i) {
        char place[64];
        std::snprintf(place, sizeof place, "lat=\"%.6f\" lon=\"%.6f\"", lat(random), lon(random));
        body += std::string("<wpt ") + place + "><name>Point " + std::to_string(i) + "</name></wpt>\n";
    }
    return Gpx(body);
}

// GPSBabel writes KML from GPX files (the examples, random points, real
// files; their waypoints, as it writes track points as placemarks too) and
// reads it back as GPX: the GPI made from the KML, and from it zipped as a
// KMZ, holds the same names at the same places as the GPI made from that GPX.
TEST(KmzFiles, GpsBabelKmlGivesWhatItsGpxGives) {
    if (!GpsBabelAtHand()) GTEST_SKIP() << "gpsbabel is not installed (scripts/bootstrap installs it)";
    TempDir t;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::recursive_directory_iterator(test::SourceDir() / "examples"))
        if (entry.path().extension() == ".gpx") inputs.push_back(entry.path());
    if (fs::is_directory(test::SharedDir() / "data/peer/gpx"))
        for (const auto& entry : fs::directory_iterator(test::SharedDir() / "data/peer/gpx"))
            if (entry.path().extension() == ".gpx") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    WriteFile(t / "random.gpx", RandomPoints(32, 500));
    inputs.push_back(t / "random.gpx");
    for (const char* folder : {"gpx", "kml", "kmz"}) WriteFile(t / folder / "kestro.ini", "[kestro]\ncodepage=65001\n");
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string name = "g/" + std::to_string(i) + "_" + inputs[i].stem().string();
        fs::create_directories(t / "gpx/g");
        fs::create_directories(t / "kml/g");
        const fs::path kml = t / "kml" / (name + ".kml");
        // GPSBabel names unnamed waypoints in its KML: the GPX of the same
        // data is the one it reads back from that KML.
        const auto made = RunCommand("gpsbabel -i gpx -f " + Q(inputs[i]) + " -x nuketypes,tracks,routes -o kml -F " +
                                     Q(kml) + " && gpsbabel -i kml -f " + Q(kml) + " -o gpx -F " +
                                     Q(t / "gpx" / (name + ".gpx")));
        ASSERT_EQ(made.ExitCode, 0) << made.Output;
        WriteZip(t / "kmz" / (name + ".kmz"), {{"doc.kml", ReadFile(t / "kml" / (name + ".kml"))}});
    }
    const auto fromGpx = ConvertKml(t / "gpx");
    ASSERT_EQ(fromGpx.ExitCode, 0) << fromGpx.Output;
    const std::vector<std::string> expected = GpsBabelNamesAndPlaces(fromGpx.Destination);
    EXPECT_GT(expected.size(), 500u);
    for (const char* folder : {"kml", "kmz"}) {
        SCOPED_TRACE(folder);
        const auto fromKml = ConvertKml(t / folder);
        ASSERT_EQ(fromKml.ExitCode, 0) << fromKml.Output;
        EXPECT_EQ(GpsBabelNamesAndPlaces(fromKml.Destination), expected);
    }
}

}  // namespace
}  // namespace kestro::conversion_test
