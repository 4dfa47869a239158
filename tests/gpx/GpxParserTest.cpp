// The GPX reader alone: what it hands over, and what it keeps of the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "gpx/GpxParser.h"
#include "support/TestSupport.h"
#include "xml/UKestroXML.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

// Findings written down as text, in order.
class TFindingsText final : public IFileFindings {
public:
    void Warning(const std::string& cause, const std::string& text) override { Text += cause + ": " + text + "\n"; }
    void UnreadableLines(std::int64_t count) override { Text += "unreadable " + std::to_string(count) + "\n"; }
    void NotOfTheFormat(const std::string& start) override { Text += "not GPX: " + start + "\n"; }
    void ReplacedCharacters(std::int64_t count, char32_t) override {
        if (count > 0) Text += "replaced " + std::to_string(count) + "\n";
    }
    void Note(const std::string& cause, const std::string&) override { Text += "note: " + cause + "\n"; }
    std::string Text;
};

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

TEST(GpxParser, FinishedElementsOutsideWaypointsLeaveTheTreeWhileItIsRead) {
    XmlCodePage = 1252;
    TempDir t;
    std::string trackPoints;
    for (int i = 0; i < 1000; ++i) trackPoints += "<trkpt lat='1' lon='1'><ele>1</ele><!-- c --><time>t</time></trkpt>";
    WriteFile(t / "a.gpx", "<gpx><metadata><name>m</name></metadata><trk><name>t</name><trkseg>" + trackPoints +
                               "<wpt lat='2' lon='2'><name>Inside the track</name><link href='icon.bmp'/></wpt>" +
                               trackPoints + "</trkseg></trk><wpt lat='3' lon='3'/></gpx>");
    std::vector<TWaypointFields> taken;
    TFindingsText findings;
    TGpxParser parser([&](TWaypointFields& waypoint) { taken.push_back(waypoint); }, {}, findings);
    // The document as the reader loads one, with a look at the whole tree after each element.
    const TXmlElementHandler handler = parser.ElementHandler();
    std::int32_t largest = 0;
    auto document = CreateXmlDocument();
    document->SetOnElementEnd([&](IXmlNodeList* list, const TXmlPtr<IXmlNode>& node) {
        handler(list, node);
        TXmlPtr<IXmlNode> root = node;
        while (auto parent = root->GetParentNode()) root = parent;
        largest = std::max(largest, NodesIn(root));
    });
    document->LoadFromFile((t / "a.gpx").string());
    // document, gpx, trk, trkseg, wpt with name, its text and link: the open elements and what the reader still needs
    EXPECT_LE(largest, 8);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].Point.Name, "Inside the track");
    EXPECT_EQ(taken[0].Links, std::vector<std::string>{"icon.bmp"});
    EXPECT_EQ(taken[1].Point.Lat, 3);
    EXPECT_EQ(findings.Text, "");

    // The reader as the loader runs it.
    std::vector<std::int32_t> progress;
    taken.clear();
    EXPECT_EQ(ReadGpxWaypoints((t / "a.gpx").string(), [&](TWaypointFields& waypoint) { taken.push_back(waypoint); },
                               [&](std::uint64_t, std::int32_t waypoints) { progress.push_back(waypoints); }, findings),
              2);
    EXPECT_EQ(taken.size(), 2u);
    // Told as blocks are read, ahead of the parse: never more than were met.
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_LE(progress.back(), 2);
    EXPECT_EQ(findings.Text, "");
}

// A file of another kind named ".gpx" is told as such, with its first line.
TEST(GpxParser, FileWithoutElementsIsToldNotPassedOver) {
    TempDir t;
    for (const auto& [text, expected] : std::initializer_list<std::pair<std::string, std::string>>{
             {"", "not GPX: \n"}, {"lat,lon\n1,2\n", "not GPX: lat,lon\n"}, {"<gpx/>", "note: no waypoints\n"}}) {
        WriteFile(t / "a.gpx", text);
        TFindingsText findings;
        std::int32_t taken = 0;
        EXPECT_EQ(ReadGpxWaypoints((t / "a.gpx").string(), [&](TWaypointFields&) { ++taken; }, {}, findings), 0);
        EXPECT_EQ(taken, 0);
        EXPECT_EQ(findings.Text, expected) << text;
    }
}

}  // namespace
}  // namespace kestro
