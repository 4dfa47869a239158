#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "waypoints/LinkPath.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

TEST(LinkPath, HrefsBecomeFileSystemPaths) {
    struct Case { std::uint16_t codePage; const char* href; const char* path; };
    const std::uint16_t saved = XmlCodePage;
    for (auto c : std::initializer_list<Case>{
             {1252, "icons\\a.bmp", "icons/a.bmp"},
             {1252, "C:\\Photos\\x.jpg", "C:/Photos/x.jpg"},
             {1252, "Caf\xE9/M\xFCller.jpg", "Caf\xC3\xA9/M\xC3\xBCller.jpg"},
             {1250, "fotky\\\x8Elu\x9Dou\xE8k\xFD.jpg", "fotky/\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD.jpg"},
             {65001, "fotky\\\xC5\xBDlu\xC5\xA5.jpg", "fotky/\xC5\xBDlu\xC5\xA5.jpg"},
             {1252, "", ""}}) {
        XmlCodePage = c.codePage;
        EXPECT_EQ(LinkToPath(c.href), c.path) << c.href;
    }
    XmlCodePage = saved;
}

// A link is resolved once per list file: the same href from another list
// is another path, and a path's kind is what it was when first asked.
TEST(LinkPaths, ResolvedOncePerListFile) {
    test::TempDir t;
    const std::string a = (t / "a").string(), b = (t / "b").string();
    test::WriteFile(t / "a" / "icons" / "x.bmp", "BM");
    test::WriteFile(t / "b" / "icons" / "pics" / "p.png", "png");
    test::WriteFile(t / "b" / "icons" / "x.bmp", "BM");
    const std::vector<std::string> hrefs = {"icons/x.bmp", "icons/pics", "icons/none.bmp", "https://example.com/x"};

    TLinkPaths paths;
    auto links = paths.Resolve(hrefs, a + "/list.gpx");
    ASSERT_EQ(links.size(), 4u);
    EXPECT_EQ(links[0].Path, a + "/icons/x.bmp");
    EXPECT_EQ(links[0].Kind, TPathKind::File);
    EXPECT_EQ(links[1].Path, "icons/pics");  // nowhere: left as written
    EXPECT_EQ(links[1].Kind, TPathKind::Missing);
    EXPECT_EQ(links[2].Kind, TPathKind::Missing);
    EXPECT_EQ(links[3].Path, "https://example.com/x");
    EXPECT_EQ(links[3].Kind, TPathKind::Missing);

    // Remembered for the list: a file made now is not seen by it.
    test::WriteFile(t / "a" / "icons" / "none.bmp", "BM");
    EXPECT_EQ(paths.Resolve(hrefs, a + "/list.gpx")[2].Kind, TPathKind::Missing);
    EXPECT_EQ(paths.Resolve("icons/none.bmp", a + "/list.gpx").Kind, TPathKind::Missing);

    // Another list file: the same hrefs are resolved beside it.
    links = paths.Resolve(hrefs, b + "/other.gpx");
    EXPECT_EQ(links[0].Path, b + "/icons/x.bmp");
    EXPECT_EQ(links[1].Path, b + "/icons/pics");
    EXPECT_EQ(links[1].Kind, TPathKind::Folder);
    EXPECT_EQ(paths.KindOf(b + "/icons/pics/p.png"), TPathKind::File);
    EXPECT_EQ(paths.KindOf(b + "/icons/pics/q.png"), TPathKind::Missing);
    ASSERT_EQ(paths.Listing(b + "/icons/pics").size(), 1u);
    EXPECT_EQ(paths.Listing(b + "/icons/pics")[0].Name, "p.png");

    // And the first list again: looked up anew, the file made since is found.
    EXPECT_EQ(paths.Resolve("icons/none.bmp", a + "/list.gpx").Kind, TPathKind::File);
}

}  // namespace
}  // namespace kestro
