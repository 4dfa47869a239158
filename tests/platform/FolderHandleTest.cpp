// Entries made through a folder's handle stay where the handle leads, also
// when another process swaps a folder for a symbolic link meanwhile.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace kestro
