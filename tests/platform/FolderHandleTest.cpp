// Entries made through a folder's handle stay where the handle leads, also
// when another process swaps a folder for a symbolic link meanwhile.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "diag/Exceptions.h"
#include "platform/FolderHandle.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

TEST(FolderHandle, NoLinkIsFollowedAfterTheFolderWasMade) {
    test::TempDir t;
    fs::create_directories(t / "root");
    fs::create_directories(t / "elsewhere");
    const TFolderHandle root = TFolderHandle::Open((t / "root").string());
    EXPECT_TRUE(root.IsEmpty());
    EXPECT_TRUE(root.OwnedByUser());
    const TFolderHandle group = root.MakeFolder("g", "root/g");
    EXPECT_FALSE(root.IsEmpty());
    // The swap: the new folder moved away, a link to elsewhere in its place.
    fs::rename(t / "root/g", t / "root/moved");
    fs::create_directory_symlink(t / "elsewhere", t / "root/g");

    group.WriteNewFile("a.gpx", "points", "root/g/a.gpx");
    EXPECT_EQ(test::ReadFile(t / "root/moved/a.gpx"), "points");
    EXPECT_TRUE(fs::is_empty(t / "elsewhere"));
    // Through the root's handle the link is an entry that exists, never followed.
    EXPECT_THROW(root.WriteNewFile("g", "x", "root/g"), EFCreateError);
    EXPECT_THROW(root.MakeFolder("g", "root/g"), EFCreateError);
    EXPECT_THROW(group.WriteNewFile("a.gpx", "again", "root/g/a.gpx"), EFCreateError);
    EXPECT_THROW(TFolderHandle::Open((t / "root/g").string()), EFOpenError);
    EXPECT_TRUE(fs::is_empty(t / "elsewhere"));
    EXPECT_EQ(test::ReadFile(t / "root/moved/a.gpx"), "points");
}

// A name is one entry of the folder: one that would reach another folder,
// or that a NUL would cut short, is refused before the system sees it.
TEST(FolderHandle, NamesOfMoreThanOneEntryAreRefused) {
    test::TempDir t;
    fs::create_directories(t / "root/sub");
    const TFolderHandle root = TFolderHandle::Open((t / "root").string());
    const std::string withNul("a.gpx\0b", 7);
    for (const std::string& name : std::initializer_list<std::string>{"../out.gpx", "sub/a.gpx", "..", ".", "", withNul}) {
        try {
            root.WriteNewFile(name, "x", "shown");
            ADD_FAILURE() << "written: " << name;
        } catch (const EFCreateError& error) {
            EXPECT_STREQ(error.what(), ("Cannot create file \"shown\". " + SystemErrorText(EINVAL)).c_str()) << name;
        }
    }
    EXPECT_THROW(root.MakeFolder("sub/x", "root/sub/x"), EFCreateError);
    EXPECT_THROW(root.MakeFolder("..", "root/.."), EFCreateError);
    EXPECT_FALSE(fs::exists(t / "out.gpx"));
    EXPECT_FALSE(fs::exists(t / "root/a.gpx"));
    EXPECT_TRUE(fs::is_empty(t / "root/sub"));
    // A name the system takes is still taken.
    root.WriteNewFile("a\\b:c.gpx", "x", "shown");
    EXPECT_EQ(test::ReadFile(t / "root/a\\b:c.gpx"), "x");
}

}  // namespace
}  // namespace kestro
