#include <gtest/gtest.h>

#include "platform/FileRead.h"
#include "platform/FolderListing.h"
#include "platform/OutputFile.h"
#include "platform/PathName.h"
#include "platform/SameFile.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

// Names in any script go to the system and come back from its listing as
// the same UTF-8 text (on Windows through UTF-16).
TEST(Utf8Path, NamesInAnyScriptRoundTrip) {
    test::TempDir dir;
    const std::string folder = Utf8FromPath(dir.Path()) + "/\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88";
    const std::string name = "\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5 \xE8\x8C\xB6.gpx";  // Cyrillic and CJK
    ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
    WriteWholeFile(folder + "/" + name, "content");
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FileExists(folder + "/" + name));
    const auto listing = ListFolder(folder);
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.front().Name, name);
    EXPECT_EQ(ReadWholeFile(folder + "/" + name), "content");
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
}

TEST(Utf8Path, SameFileComparesWhatNamesLeadTo) {
    test::TempDir dir;
    const std::string a = Utf8FromPath(dir / "a.gpi");
    const std::string b = Utf8FromPath(dir / "b.gpi");
    WriteWholeFile(a, "same bytes");
    WriteWholeFile(b, "same bytes");
    EXPECT_TRUE(SameFile(a, a));
    EXPECT_TRUE(SameFile(a, Utf8FromPath(dir.Path()) + "/./a.gpi"));
    EXPECT_FALSE(SameFile(a, b));
    EXPECT_FALSE(SameFile(a, Utf8FromPath(dir / "missing.gpi")));
}

// Where "\" separates folders too (Windows), every piece of a path sees it.
TEST(Utf8Path, BackslashSeparatesFoldersWhereTheSystemSaysSo) {
    const bool backslash = PathSeparators.find('\\') != std::string_view::npos;
    EXPECT_EQ(FileNameWithoutFolder("C:\\POI\\cafe.gpx"), backslash ? "cafe.gpx" : "C:\\POI\\cafe.gpx");
    EXPECT_EQ(BaseName("C:\\POI.x\\cafe"), backslash ? "cafe" : "C:\\POI");
    EXPECT_EQ(FileNameWithoutFolder("a/b/cafe.gpx"), "cafe.gpx");
}

}  // namespace
}  // namespace kestro
