#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "diag/Exceptions.h"
#include "platform/OutputFile.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(OutputFile, ReplacesAnExistingFileInsteadOfAppendingOrOverlaying) {
    TempDir folder;
    const auto path = folder / "out.gpi";
    WriteFile(path, Bytes(1000, 'x'));
    TOutputFile output(path.string());
    output.Write("ab");
    output.Write("");
    output.Close();
    EXPECT_EQ(ReadFile(path), "ab");
}

TEST(OutputFile, ReplacingDoesNotWriteThroughAnotherNameOfTheOldFile) {
    TempDir folder;
    WriteFile(folder / "old.gpi", "keep");
    ASSERT_EQ(link((folder / "old.gpi").c_str(), (folder / "out.gpi").c_str()), 0);
    TOutputFile output((folder / "out.gpi").string());
    output.Write("new");
    output.Close();
    EXPECT_EQ(ReadFile(folder / "old.gpi"), "keep");
    EXPECT_EQ(ReadFile(folder / "out.gpi"), "new");
}

TEST(OutputFile, OnlyNewLeavesAnyExistingEntryAlone) {
    TempDir folder;
    WriteFile(folder / "file", "keep");
    ASSERT_EQ(symlink((folder / "target").c_str(), (folder / "link").c_str()), 0);  // leads nowhere yet
    TOutputOptions options;
    options.OnlyNew = true;
    for (const char* name : {"file", "link"}) EXPECT_THROW(WriteWholeFile((folder / name).string(), "new", options), EFCreateError) << name;
    EXPECT_EQ(ReadFile(folder / "file"), "keep");
    EXPECT_FALSE(std::filesystem::exists(folder / "target"));
    WriteWholeFile((folder / "fresh").string(), "new", options);
    EXPECT_EQ(ReadFile(folder / "fresh"), "new");
}

TEST(OutputFile, CreationFailureNamesFullPathAndSystemText) {
    TempDir folder;
    const auto path = folder / "missing" / "out.gpi";
    try {
        TOutputFile output(path.string());
        FAIL() << "created";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + path.string() + "\". No such file or directory");
    }
}

TEST(OutputFile, RelativeNameIsReportedWithItsFullPath) {
    const std::string expected = (std::filesystem::current_path() / "no-such-kestro-folder" / "out.gpi").string();
    try {
        TOutputFile output("no-such-kestro-folder/./out.gpi");
        FAIL() << "created";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + expected + "\". No such file or directory");
    }
}

TEST(OutputFile, FailedWriteRaisesWriteError) {
    TOutputFile output("/dev/full");
    EXPECT_NO_THROW(output.Write(""));
    try {
        output.Write("abc");
        FAIL() << "written";
    } catch (const EWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot write file \"/dev/full\". No space left on device");
    }
}

TEST(OutputFile, WriteAfterCloseRaisesWriteError) {
    TempDir folder;
    TOutputFile output((folder / "out.gpi").string());
    output.Close();
    EXPECT_THROW(output.Write("a"), EWriteError);
    EXPECT_NO_THROW(output.Close());
}

TEST(OutputFile, ReplaceOnCloseLeavesTheDestinationUntilClose) {
    TempDir folder;
    const auto path = folder / "out.gpi";
    const auto partial = folder / "out.gpi.partial";
    auto entries = [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.insert(entry.path().filename().string());
        return names;
    };
    WriteFile(path, "old");
    {
        TOutputFile output(path.string(), TOutputOptions{.ReplaceOnClose = true});
        output.Write("new");
        EXPECT_EQ(ReadFile(path), "old");
        output.Close();
    }
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(entries(), std::set<std::string>{"out.gpi"});
    {
        TOutputFile output(path.string(), TOutputOptions{.ReplaceOnClose = true});
        output.Write("cut");
        EXPECT_EQ(output.KeepPartial(), partial.string());
        EXPECT_EQ(output.KeepPartial(), "");
    }
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(ReadFile(partial), "cut");
    // A partial name taken by a folder is left alone, and nothing else is kept.
    std::filesystem::remove(partial);
    std::filesystem::create_directory(partial);
    {
        TOutputFile output(path.string(), TOutputOptions{.ReplaceOnClose = true});
        output.Write("cut");
    }
    EXPECT_TRUE(std::filesystem::is_directory(partial));
    EXPECT_EQ(entries(), (std::set<std::string>{"out.gpi", "out.gpi.partial"}));
}

// The partial file's name stays within the folder's limit on name length,
// cut short before a character rather than inside one.
TEST(OutputFile, PartialNameFitsTheNameLimit) {
    TempDir folder;
    if (pathconf(folder.Path().c_str(), _PC_NAME_MAX) != 255) GTEST_SKIP() << "the folder's names are not limited to 255 bytes";
    std::string accented;
    for (int i = 0; i < 124; ++i) accented += "\xC4\x8C";  // 248 bytes of "Č"
    struct TCase {
        std::string Name;
        std::string Partial;
    };
    for (const TCase& c : std::initializer_list<TCase>{
             {std::string(246, 'd'), std::string(246, 'd') + ".partial"},  // 254 bytes in all
             {std::string(247, 'd'), std::string(247, 'd') + ".partial"},  // 255
             {std::string(248, 'd'), std::string(247, 'd') + ".partial"},  // 256: cut
             {accented, accented.substr(0, 246) + ".partial"}}) {         // 247 would cut a "Č" in two
        TOutputFile output((folder / c.Name).string(), TOutputOptions{.ReplaceOnClose = true});
        output.Write("cut");
        EXPECT_EQ(output.KeepPartial(), (folder / c.Partial).string()) << c.Name.size();
        EXPECT_EQ(ReadFile(folder / c.Partial), "cut");
        std::filesystem::remove(folder / c.Partial);
    }
}

}  // namespace
}  // namespace kestro
