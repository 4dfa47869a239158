#include <gtest/gtest.h>

#include "platform/PathName.h"

namespace kestro {
namespace {

TEST(PathName, NameParts) {
    struct Case { const char* path; const char* lowerExtension; const char* asBmp; const char* baseName; };
    for (auto c : std::initializer_list<Case>{
             {"src/G/cafes.gpx", ".gpx", "src/G/cafes.bmp", "cafes"},
             {"x.y.GPX", ".gpx", "x.y.bmp", "x.y"},
             {"photos/A.JPG", ".jpg", "photos/A.bmp", "A"},
             {"dir.x/file", "", "dir.x/file.bmp", "file"},
             {"file.", ".", "file.bmp", "file"},
             {"noext", "", "noext.bmp", "noext"},
             {"a/.hidden", ".hidden", "a/.bmp", ""}}) {
        EXPECT_EQ(LowerExtension(c.path), c.lowerExtension) << c.path;
        EXPECT_EQ(ChangeExtension(c.path, ".bmp"), c.asBmp) << c.path;
        EXPECT_EQ(BaseName(c.path), c.baseName) << c.path;
    }
}

}  // namespace
}  // namespace kestro
