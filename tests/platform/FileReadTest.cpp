#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>

#include "diag/Exceptions.h"
#include "platform/FileRead.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

// What reading each kind of name gives: the content, nothing (only where a
// missing file is allowed), or the error and its message. A FIFO or a device
// would block or never end, so only regular files are read.
TEST(FileRead, EachKindOfName) {
    TempDir t;
    WriteFile(t / "a.txt", "abc");
    WriteFile(t / "empty", "");
    std::filesystem::create_directory(t / "folder");
    ASSERT_EQ(::mkfifo((t / "fifo").c_str(), 0600), 0);
    const std::string root = t.Path().string() + "/";
    struct Case { std::string name; const char* whole; bool present; const char* error; };
    for (const auto& c : std::initializer_list<Case>{
             {"a.txt", "abc", true, nullptr},
             {"empty", "", true, nullptr},
             {"missing", nullptr, false, "Cannot open file \"{}missing\". No such file or directory"},
             {"a.txt/x", nullptr, false, "Cannot open file \"{}a.txt/x\". Not a directory"},
             {"folder", nullptr, true, "Cannot open file \"{}folder\". Is a directory"},
             {"fifo", nullptr, true, "Cannot open file \"{}fifo\". Not a regular file"},
             {"/dev/zero", nullptr, true, "Cannot open file \"/dev/zero\". Not a regular file"}}) {
        const std::string path = c.name.front() == '/' ? c.name : root + c.name;
        std::string expected = c.error ? c.error : "";
        if (const auto at = expected.find("{}"); at != std::string::npos) expected.replace(at, 2, root);
        if (c.whole) {
            EXPECT_EQ(ReadWholeFile(path), c.whole) << c.name;
            EXPECT_EQ(ReadFileIfPresent(path), std::optional<Bytes>(c.whole)) << c.name;
            continue;
        }
        try {
            ReadWholeFile(path);
            ADD_FAILURE() << c.name << " was read";
        } catch (const EFOpenError& error) {
            EXPECT_EQ(error.what(), expected) << c.name;
        }
        if (!c.present) EXPECT_EQ(ReadFileIfPresent(path), std::nullopt) << c.name;
        else EXPECT_THROW(ReadFileIfPresent(path), EFOpenError) << c.name;
    }
    // A reader that lets folders open meets the failure as it reads; names as given.
    const TInputOptions asGiven{.FullPath = false, .FolderOpens = true};
    try {
        ReadFileIfPresent(root + "folder", asGiven);
        ADD_FAILURE() << "a folder was read";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.what(), "Cannot read file \"" + root + "folder\". Is a directory");
    }
}

TEST(FileRead, BlocksAndPiecesGiveTheWholeFile) {
    TempDir t;
    Bytes content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + i / 977);
    WriteFile(t / "big", content);
    TInputFile file(t / "big");
    Bytes sequential;
    char block[7001];
    for (std::size_t got; (got = file.ReadNext(block, sizeof block)) > 0;) sequential.append(block, got);
    EXPECT_TRUE(sequential == content);
    EXPECT_TRUE(file.ReadAll() == content);
    EXPECT_TRUE(file.ReadAt(199990, 100) == content.substr(199990));
    EXPECT_TRUE(file.ReadAt(300000, 5).empty());
    for (std::uint64_t limit : {0ull, 1ull, 65535ull, 65536ull, 65537ull, 199999ull, 200000ull, 200001ull})
        EXPECT_TRUE(ReadFileUpTo(t / "big", limit) == content.substr(0, limit)) << limit;
}

// A file of the /proc kind says it is empty and is not: it is read up to
// the limit, and the result takes no more room than it needs.
TEST(FileRead, UpToTheLimitFromAFileOfUnknownSize) {
    const Bytes status = ReadFileUpTo("/proc/self/status", 100);
    EXPECT_EQ(status.size(), 100u);
    EXPECT_EQ(status.rfind("Name:", 0), 0u);
    EXPECT_LE(status.capacity(), 65536u);
}

}  // namespace
}  // namespace kestro
