// A held folder cannot be renamed away, so entries made through it land in
// it; names that would leave it (a separator, a stream) are refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "diag/Exceptions.h"
#include "platform/FolderHandle.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

TEST(FolderHandleWindows, HeldFolderStaysAndNamesStayInside) {
    test::TempDir t;
    fs::create_directories(t / "root");
    const TFolderHandle root = TFolderHandle::Open((t / "root").string() + "\\");
    EXPECT_TRUE(root.IsEmpty());
    EXPECT_TRUE(root.OwnedByUser());
    const TFolderHandle group = root.MakeFolder("\xC4\x8C" "aj", "root/Čaj");
    EXPECT_FALSE(root.IsEmpty());
    std::error_code error;
    fs::rename(t / "root" / fs::path(u8"Čaj"), t / "root/moved", error);
    EXPECT_TRUE(error) << "a held folder was renamed";
    group.WriteNewFile("a.gpx", "points", "root/Čaj/a.gpx");
    EXPECT_EQ(test::ReadFile(t / "root" / fs::path(u8"Čaj") / "a.gpx"), "points");

    for (const char* name : {"a.gpx", "..\\out.gpx", "../out.gpx", "a.gpx:stream", "..", "", "C:x"})
        EXPECT_THROW(group.WriteNewFile(name, "x", name), EFCreateError) << name;
    EXPECT_THROW(root.MakeFolder("x\\y", "root/x\\y"), EFCreateError);
    EXPECT_EQ(test::ReadFile(t / "root" / fs::path(u8"Čaj") / "a.gpx"), "points");
    EXPECT_FALSE(fs::exists(t / "out.gpx"));
    EXPECT_THROW(TFolderHandle::Open((t / "root").string() + "\\\xC4\x8C" "aj\\a.gpx"), EFOpenError);
    EXPECT_THROW(TFolderHandle::Open((t / "none").string()), EFOpenError);
}

}  // namespace
}  // namespace kestro
