// The reader of one group across several files, driven the way the group
// builder drives it.
#include <gtest/gtest.h>

#include <sstream>

#include <filesystem>

#include "gpi/GpiUtil.h"
#include "gpx/GpxParser.h"
#include "store/GpiDB.h"
#include "store/SQLiteLibrary.h"
#include "support/TestSupport.h"
#include "xml/UKestroXML.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

// An 8-bit 4 x 4 BMP, or a 24-bit one that the reader refuses.
Bytes Bmp(std::uint16_t bits) {
    Bytes info = GpiDword(40) + GpiDword(4) + GpiDword(4) + GpiWord(1) + GpiWord(bits) + Bytes(24, '\0');
    return "BM" + GpiDword(0) + GpiDword(0) + GpiDword(54 + 1024) + info + Bytes(1024, '\0') + Bytes(16, '\1');
}

std::string Gpx(const std::string& body) { return "<gpx>" + body + "</gpx>"; }

class GpxParserTest : public testing::Test {
protected:
    void SetUp() override {
        XmlCodePage = 1252;
        reader.Store = CreatePoiStore();
        reader.MinLat = 90;
        reader.MinLon = 180;
        reader.MaxLat = -90;
        reader.MaxLon = -180;
        reader.CategoryIndex = 0;
        reader.BitmapIndex = 0xFFFF;
        reader.AlertSpeed = -1;
        reader.AlertDistance = -1;
        cwd = std::filesystem::current_path();
        std::filesystem::current_path(t.Path());
    }
    void TearDown() override { std::filesystem::current_path(cwd); }

    std::int64_t Stored() { return CountInBox(*reader.Store, -90, -180, 90, 180); }

    TSQLiteLibrary library;
    TempDir t;
    std::filesystem::path cwd;
    std::ostringstream progress;
    TGpxParser reader{progress};
};

TEST_F(GpxParserTest, CountIsPerFileWhileBoxAndIconsAccumulate) {
    WriteFile(t / "icon.bmp", Bmp(8));
    WriteFile(t / "a.gpx", Gpx("<wpt lat='10' lon='20'><link href='icon.bmp'/></wpt><wpt lat='11' lon='21'/>"
                               "<wpt/><rte><rtept lat='1' lon='1'/></rte>"));
    WriteFile(t / "b.gpx", Gpx("<wpt lat='-5' lon='30'><link href='icon.bmp'/></wpt>"));
    reader.LoadFile("a.gpx");
    EXPECT_EQ(reader.Count, 3);
    EXPECT_EQ(reader.FileName, "a.gpx");
    EXPECT_EQ(Stored(), 2);
    reader.LoadFile("b.gpx");
    EXPECT_EQ(reader.Count, 1);
    EXPECT_EQ(reader.FileName, "b.gpx");
    EXPECT_EQ(Stored(), 3);
    EXPECT_EQ(reader.MinLat, -5);
    EXPECT_EQ(reader.MaxLat, 11);
    EXPECT_EQ(reader.MinLon, 0);  // the waypoint without position counts for the box
    EXPECT_EQ(reader.MaxLon, 30);
    EXPECT_EQ(reader.BitmapFiles, std::vector<std::string>{"icon.bmp"});
    EXPECT_EQ(reader.Bitmaps.substr(0, 2), Bytes("\x05\x00", 2));
}

TEST_F(GpxParserTest, RefusedIconIsTriedAgainByTheNextWaypoint) {
    WriteFile(t / "icon.bmp", Bmp(24));
    WriteFile(t / "a.gpx", Gpx("<wpt lat='1' lon='1'><link href='icon.bmp'/></wpt>"));
    reader.LoadFile("a.gpx");
    EXPECT_TRUE(reader.BitmapFiles.empty());
    EXPECT_TRUE(reader.Bitmaps.empty());
    WriteFile(t / "icon.bmp", Bmp(8));
    reader.LoadFile("a.gpx");
    EXPECT_EQ(reader.BitmapFiles, std::vector<std::string>{"icon.bmp"});
    EXPECT_FALSE(reader.Bitmaps.empty());
}

TEST_F(GpxParserTest, CompanionIconIsNamedAfterTheGpxFile) {
    std::filesystem::create_directories(t / "g");
    WriteFile(t / "g/cafes.bmp", Bmp(8));
    WriteFile(t / "g/cafes.gpx", Gpx("<wpt lat='1' lon='1'/>"));
    reader.LoadFile("g/cafes.gpx");
    EXPECT_EQ(reader.BitmapFiles, std::vector<std::string>{"g/cafes.bmp"});
}

TEST_F(GpxParserTest, ErrorsLeaveTheWaypointsReadBefore) {
    WriteFile(t / "a.gpx", "<gpx><wpt lat='1' lon='1'/><wpt lat='2' lon='2'/><wpt lat='3'");
    EXPECT_THROW(reader.LoadFile("a.gpx"), Exception);
    EXPECT_EQ(reader.Count, 2);
    EXPECT_EQ(Stored(), 2);
    EXPECT_THROW(reader.LoadFile("missing.gpx"), EFOpenError);
}

// All nodes of a tree, the root included.
std::int32_t NodesIn(const TXmlPtr<IXmlNode>& root) {
    std::int32_t count = 0;
    std::vector<TXmlPtr<IXmlNode>> pending{root};
    while (!pending.empty()) {
        const TXmlPtr<IXmlNode> node = std::move(pending.back());
        pending.pop_back();
        ++count;
        auto children = node->GetChildNodes();
        for (std::int32_t i = 0; i < children->GetCount(); ++i) pending.push_back(children->GetItem(i));
    }
    return count;
}

TEST_F(GpxParserTest, FinishedElementsOutsideWaypointsLeaveTheTreeWhileItIsRead) {
    std::string points;
    for (int i = 0; i < 1000; ++i) points += "<trkpt lat='1' lon='1'><ele>1</ele><!-- c --><time>t</time></trkpt>";
    WriteFile(t / "icon.bmp", Bmp(8));
    const std::string text =
        Gpx("<metadata><name>m</name></metadata><trk><name>t</name><trkseg>" + points +
            "<wpt lat='2' lon='2'><name>Inside the track</name><link href='icon.bmp'/></wpt>" + points +
            "</trkseg></trk><wpt lat='3' lon='3'/>");
    auto document = CreateXmlDocument();
    const TXmlElementHandler readerHandler = reader.ElementHandler();
    std::int32_t largest = 0;
    document->SetOnElementEnd([&](IXmlNodeList* list, const TXmlPtr<IXmlNode>& node) {
        readerHandler(list, node);
        largest = std::max(largest, NodesIn(TXmlPtr<IXmlNode>(document)));
    });
    reader.FileName = "a.gpx";
    document->LoadXML(text);
    // document, gpx, trk, trkseg, wpt with name, its text and link: the open elements and what the reader still needs
    EXPECT_LE(largest, 8);
    EXPECT_EQ(reader.Count, 2);
    bool alert = false;
    Bytes stored;
    ExtractInBox(*reader.Store, alert, stored, -90, -180, 90, 180);
    EXPECT_NE(stored.find("Inside the track"), Bytes::npos);
    EXPECT_EQ(reader.BitmapFiles, std::vector<std::string>{"icon.bmp"});
}

TEST_F(GpxParserTest, FileInBinaryFormIsReadLikeItsText) {
    XmlCodePage = 1250;
    WriteFile(t / "icon.bmp", Bmp(8));
    const std::string text =
        "<?xml version='1.0' encoding='UTF-8'?><gpx xmlns:gpxx='x'>"
        "<metadata><name>Not a point</name></metadata>"
        "<wpt lat='50.1' lon='14.2'><name>Kon\xC3\xAD\xC4\x8D" "ek@50</name><desc>Open 8-17</desc>"
        "<link href='icon.bmp'/><extensions><gpxx:WaypointExtension><gpxx:Proximity>300</gpxx:Proximity>"
        "<gpxx:PhoneNumber>123</gpxx:PhoneNumber></gpxx:WaypointExtension></extensions></wpt>"
        "<trk><trkseg><trkpt lat='1' lon='1'/></trkseg></trk>"
        "<rte><wpt lat='-3' lon='-4'><name>Nested</name></wpt></rte><wpt/></gpx>";
    WriteFile(t / "text.gpx", text);
    auto document = CreateXmlDocument();
    document->LoadXML(text);
    document->SaveBinaryToFile((t / "binary.gpx").string());
    ASSERT_NE(test::ReadFile(t / "binary.gpx"), text);

    reader.LoadFile("text.gpx");
    TGpxParser binary(progress);
    binary.Store = CreatePoiStore();
    binary.MinLat = 90;
    binary.MinLon = 180;
    binary.MaxLat = -90;
    binary.MaxLon = -180;
    binary.CategoryIndex = 0;
    binary.AlertSpeed = -1;
    binary.AlertDistance = -1;
    binary.LoadFile("binary.gpx");

    EXPECT_EQ(binary.Count, 3);
    EXPECT_EQ(binary.Count, reader.Count);
    EXPECT_EQ(binary.MinLat, reader.MinLat);
    EXPECT_EQ(binary.MaxLat, reader.MaxLat);
    EXPECT_EQ(binary.MinLon, reader.MinLon);
    EXPECT_EQ(binary.MaxLon, reader.MaxLon);
    EXPECT_EQ(binary.Bitmaps, reader.Bitmaps);
    bool alertText = false, alertBinary = false;
    Bytes fromText, fromBinary;
    ExtractInBox(*reader.Store, alertText, fromText, -90, -180, 90, 180);
    ExtractInBox(*binary.Store, alertBinary, fromBinary, -90, -180, 90, 180);
    EXPECT_TRUE(alertBinary);
    EXPECT_NE(fromBinary.find("Kon\xED\xE8" "ek"), Bytes::npos);
    EXPECT_EQ(test::ToHex(fromBinary), test::ToHex(fromText));
}

}  // namespace
}  // namespace kestro
