// A folder's path made ready for names to be joined to it.
#include <gtest/gtest.h>

#include "platform/PathName.h"

namespace kestro {
namespace {

TEST(FolderPathForJoining, EndsInOneSeparator) {
    const std::string separator = "/";  // as on every system, so that messages are the same
    for (const auto& [given, joined] : std::initializer_list<std::pair<std::string, std::string>>{
             {"", ""}, {"a", "a" + separator}, {"a/", "a/"}, {"My points", "My points" + separator}, {"./x/..", "./x/.." + separator}})
        EXPECT_EQ(FolderPathForJoining(given), joined) << given;
}

// "C:" alone is a drive's current folder where paths have drives (its root
// would be "C:\"), a plain folder name elsewhere.
TEST(FolderPathForJoining, DriveAloneIsItsCurrentFolder) {
    const std::string joined = FolderPathForJoining("C:");
    if (!PathFromUtf8("C:").has_root_name()) {
        EXPECT_EQ(joined, "C:/");
        return;
    }
    // The full path the system gives (the root only while drive C has no other current folder).
    EXPECT_EQ(joined.rfind("C:\\", 0), 0u) << joined;
    EXPECT_NE(PathSeparators.find(joined.back()), std::string_view::npos) << joined;
    EXPECT_EQ(joined.find("\\\\"), std::string::npos) << joined;
}

}  // namespace
}  // namespace kestro
