#include <gtest/gtest.h>

#include <unistd.h>

#include "sources/GroupSources.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

TEST(GroupSources, GroupFoldersAndCategoryFiles) {
    TempDir folder;
    for (const char* name : {"b.GPX", "a.gpx", "c.Gpx", ".gpx", "notes.txt", "x.gpx.bak", "gpx", "kestro.ini", "d.CSV", "e.csv.txt",
                             "f.KmL", "g.kmz", "h.kml.txt", "kmz"})
        WriteFile(folder / name, "");
    for (const char* name : {"Roads", ".hidden", "cafes", "folder.gpx", "folder.csv", "folder.kml"}) std::filesystem::create_directory(folder / name);
    ASSERT_EQ(symlink((folder / "cafes").c_str(), (folder / "linked").c_str()), 0);
    const std::string path = folder.Path().string() + "/";
    EXPECT_EQ(ListGroupFolders(path),
              (std::vector<std::string>{"cafes", "folder.csv", "folder.gpx", "folder.kml", "linked", "Roads"}));
    EXPECT_EQ(ListCategoryFiles(path, {.Csv = false, .Kml = false}), (std::vector<std::string>{".gpx", "a.gpx", "b.GPX", "c.Gpx"}));
    EXPECT_EQ(ListCategoryFiles(path, {.Csv = true, .Kml = false}),
              (std::vector<std::string>{".gpx", "a.gpx", "b.GPX", "c.Gpx", "d.CSV"}));
    EXPECT_EQ(ListCategoryFiles(path, {.Csv = false, .Kml = true}),
              (std::vector<std::string>{".gpx", "a.gpx", "b.GPX", "c.Gpx", "f.KmL", "g.kmz"}));
}

}  // namespace
}  // namespace kestro
