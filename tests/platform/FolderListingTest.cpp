#include <gtest/gtest.h>

#include <unistd.h>

#include "diag/Exceptions.h"
#include "platform/FolderListing.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

std::vector<std::string> Names(const std::vector<TFolderEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.Name + (entry.IsFolder ? "/" : ""));
    return names;
}

TEST(FolderListing, NamesSortIgnoringAsciiCaseThenByteWise) {
    struct Case { const char* a; const char* b; bool less; };
    for (auto c : std::initializer_list<Case>{{"a", "B", true}, {"B", "a", false}, {"A", "a", true}, {"a", "A", false},
                                              {"a", "a", false}, {"ab", "AB", false}, {"AB", "ab", true},
                                              {"a", "ab", true}, {"_", "Z", true}, {"_", "a", true},
                                              {"z", "\xC3\xA9", true}, {"", "a", true}})
        EXPECT_EQ(NameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(FolderListing, ListsEverythingSorted) {
    TempDir folder;
    for (const char* name : {"b.gpx", "A.gpx", "a.gpx", ".hidden.gpx", "_x"}) WriteFile(folder / name, "");
    for (const char* name : {"Zeta", ".git", "alpha"}) std::filesystem::create_directory(folder / name);
    EXPECT_EQ(Names(ListFolder(folder.Path().string() + "/")),
              (std::vector<std::string>{".git/", ".hidden.gpx", "_x", "A.gpx", "a.gpx", "alpha/", "b.gpx", "Zeta/"}));
}

TEST(FolderListing, FolderExistence) {
    TempDir folder;
    WriteFile(folder / "file", "");
    EXPECT_TRUE(FolderExists(folder.Path().string()));
    EXPECT_TRUE(FolderExists(folder.Path().string() + "/"));
    EXPECT_FALSE(FolderExists((folder / "file").string()));
    EXPECT_FALSE(FolderExists((folder / "missing").string() + "/"));
    EXPECT_FALSE(FolderExists(""));
}

TEST(FolderListing, FolderThatCannotBeListedIsAnError) {
    TempDir folder;
    try {
        ListFolder((folder / "missing").string() + "/");
        FAIL() << "listed";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open folder \"" + (folder / "missing").string() + "/\". No such file or directory");
    }
}

}  // namespace
}  // namespace kestro
