#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "gpi/FileFrame.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::Hex;
using test::ProcessResult;
using test::ReadFile;
using test::RunCommand;
using test::RunKestro;
using test::ShellQuote;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

const std::string Banner =
    "Kestro 1.2.0 (c) Kestro developers\n"
    "  Translating set of GPX files into one GPI file.\n"
    "\n"
    "Usage: kestro <source_path> <destination_file>\n"
    "\n";

std::string Q(const std::filesystem::path& path) { return ShellQuote(path.string()); }

// The written file with its time stamp zeroed.
Bytes ReadMasked(const std::filesystem::path& path) {
    Bytes bytes = ReadFile(path);
    if (bytes.size() >= 20) bytes.replace(16, 4, Hex("00 00 00 00"));
    return bytes;
}

Bytes EmptyFrame(const Bytes& fileName, std::int32_t codePage) {
    return GpiHeaderRecord(fileName, 0) + GpiCodePageRecord(codePage) + GpiEndRecord();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The report after the banner: class and message, an empty line, then the stack.
void ExpectErrorReport(const ProcessResult& result, const std::string& firstLine) {
    ASSERT_EQ(result.Output.substr(0, Banner.size()), Banner) << result.Output;
    const auto lines = Lines(result.Output.substr(Banner.size()));
    ASSERT_GE(lines.size(), 4u) << result.Output;
    EXPECT_EQ(lines[0], firstLine);
    EXPECT_EQ(lines[1], "");
    // The call stack down to main; after it, an empty line and the line that
    // names the partial file, when one is kept.
    std::size_t end = 2;
    while (end < lines.size() && !lines[end].empty()) ++end;
    EXPECT_EQ(lines[end - 1].rfind("main", 0), 0u) << result.Output;
    EXPECT_TRUE(end == lines.size() || (end + 2 == lines.size() && lines[end + 1].rfind("What was written", 0) == 0))
        << result.Output;
    EXPECT_EQ(result.Output.find("Done."), std::string::npos) << result.Output;
}

TEST(CommandLine, WrongArgumentCount) {
    TempDir folder;
    for (const std::string& arguments : {std::string(), Q(folder / "missing"), Q(folder.Path()) + " a.gpi b.gpi"}) {
        const ProcessResult result = RunKestro(arguments);
        EXPECT_EQ(result.ExitCode, 1) << arguments;
        EXPECT_EQ(result.Output, Banner + "ERROR! Invalid parameter count.\n\nDone.\n") << arguments;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// The usage line names the program as it was called, without its folder;
// where the caller gave no name, the built one. Its control bytes are shown.
TEST(CommandLine, UsageLineNamesTheProgramAsCalled) {
    const char* const binaryPath = std::getenv("KESTRO_BINARY");
    ASSERT_NE(binaryPath, nullptr) << "KESTRO_BINARY is not set";
    const std::string binary = binaryPath;
    const auto usage = [](const std::string& name) {
        return "Kestro 1.2.0 (c) Kestro developers\n  Translating set of GPX files into one GPI file.\n\nUsage: " + name +
               " <source_path> <destination_file>\n\nERROR! Invalid parameter count.\n\nDone.\n";
    };
    struct Case { std::string CalledAs; std::string Shown; };
    for (const auto& c : std::initializer_list<Case>{{"kestro", "kestro"},
                                                     {"/opt/tools/bin/kestro", "kestro"},
                                                     {"gpi-convert", "gpi-convert"},
                                                     {"kestro.exe", "kestro.exe"},
                                                     {"", "kestro"},
                                                     {"/usr/bin/", "kestro"},
                                                     {"k\x1b[31m", "k\\x1B[31m"}}) {
        const ProcessResult result = RunCommand("bash -c 'exec -a \"$0\" \"$1\"' " + ShellQuote(c.CalledAs) + " " + ShellQuote(binary));
        EXPECT_EQ(result.ExitCode, 1) << c.CalledAs;
        EXPECT_EQ(result.Output, usage(c.Shown)) << c.CalledAs;
    }
    // A link of another name, called by its path.
    TempDir folder;
    std::filesystem::create_symlink(binary, folder / "convert-poi");
    const ProcessResult linked = RunCommand(Q(folder / "convert-poi"));
    EXPECT_EQ(linked.Output, usage("convert-poi"));
}

TEST(CommandLine, MissingSourceFolder) {
    TempDir folder;
    WriteFile(folder / "file", "");
    for (const auto& source : {folder / "missing", folder / "file", std::filesystem::path()}) {
        const ProcessResult result = RunKestro(Q(source) + " " + Q(folder / "out.gpi"));
        EXPECT_EQ(result.ExitCode, 2) << source;
        EXPECT_EQ(result.Output, Banner + "ERROR! Source path does not exist!\n\nDone.\n") << source;
        EXPECT_FALSE(std::filesystem::exists(folder / "out.gpi"));
    }
}

TEST(CommandLine, EmptySourceFolderGivesHeaderHeaderEnd) {
    TempDir folder;
    std::filesystem::create_directory(folder / "source");
    for (const std::string& source : {(folder / "source").string(), (folder / "source").string() + "/"}) {
        const ProcessResult result = RunKestro(ShellQuote(source) + " " + Q(folder / "out.gpi"));
        EXPECT_EQ(result.ExitCode, 0) << source;
        EXPECT_EQ(result.Output, Banner + "\nDone.\nkestro: warning: no waypoint of " + source +
                                     " was written; the GPI file holds none\n")
            << source;
        EXPECT_EQ(ToHex(ReadMasked(folder / "out.gpi")), ToHex(EmptyFrame("out.gpi", 1252))) << source;
    }
}

TEST(CommandLine, GpsBabelReadsTheEmptyFrame) {
    if (RunCommand("command -v gpsbabel").ExitCode != 0) GTEST_SKIP() << "gpsbabel is not installed";
    TempDir folder;
    ASSERT_EQ(RunKestro(Q(folder.Path()) + " " + Q(folder / "out.gpi")).ExitCode, 0);
    const ProcessResult read = RunCommand("gpsbabel -i garmin_gpi -f " + Q(folder / "out.gpi") + " -o gpx -F -");
    EXPECT_EQ(read.ExitCode, 0) << read.Output;
    EXPECT_NE(read.Output.find("<gpx"), std::string::npos) << read.Output;
    EXPECT_EQ(read.Output.find("<wpt"), std::string::npos) << read.Output;
}

TEST(CommandLine, HeaderCarriesTheTickCount) {
    TempDir folder;
    const std::uint32_t before = GetTickCount();
    ASSERT_EQ(RunKestro(Q(folder.Path()) + " " + Q(folder / "out.gpi")).ExitCode, 0);
    const std::uint32_t after = GetTickCount();
    const Bytes bytes = ReadFile(folder / "out.gpi");
    ASSERT_GE(bytes.size(), 20u);
    std::uint32_t stamp = 0;
    for (int i = 3; i >= 0; --i) stamp = stamp * 256 + static_cast<unsigned char>(bytes[16 + i]);
    EXPECT_LE(static_cast<std::uint32_t>(stamp - before), static_cast<std::uint32_t>(after - before));
}

TEST(CommandLine, FoldersStartingWithDotAndOtherFilesAreNoGroups) {
    TempDir folder;
    std::filesystem::create_directories(folder / "source" / ".hidden");
    WriteFile(folder / "source" / ".hidden" / "points.gpx", "<gpx/>");
    WriteFile(folder / "source" / "notes.txt", "");
    WriteFile(folder / "source" / "points.gpx.bak", "");
    const ProcessResult result = RunKestro(Q(folder / "source") + " " + Q(folder / "out.gpi"));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_EQ(ToHex(ReadMasked(folder / "out.gpi")), ToHex(EmptyFrame("out.gpi", 1252)));
}

TEST(CommandLine, ExistingDestinationIsReplaced) {
    TempDir folder;
    WriteFile(folder / "out.gpi", Bytes(5000, 'x'));
    const ProcessResult result = RunKestro(Q(folder.Path()) + " " + Q(folder / "out.gpi"));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_EQ(ToHex(ReadMasked(folder / "out.gpi")), ToHex(EmptyFrame("out.gpi", 1252)));
}

TEST(CommandLine, HeaderNamesTheFileWithoutFolderInTheCodePage) {
    struct Case { const char* settings; const char* fileName; Bytes headerName; std::int32_t codePage; };
    for (const auto& c : std::initializer_list<Case>{
             {"", "Caf\xC3\xA9.GPI", "Caf\xE9.GPI", 1252},
             {"[kestro]\ncodepage=65001\n", "Caf\xC3\xA9.GPI", "Caf\xC3\xA9.GPI", 65001},
             {"[kestro]\ncodepage=1251\n", "\xD0\x96-\xE6\x97\xA5.gpi", "\xC6-?.gpi", 1251},
             {"[kestro]\nmaxregion=abc\ncodepage=$4E4\n", "a.gpi", "a.gpi", 1252}}) {
        TempDir folder;
        std::filesystem::create_directories(folder / "source");
        std::filesystem::create_directories(folder / "out");
        if (*c.settings) WriteFile(folder / "source" / "kestro.ini", c.settings);
        const auto destination = folder / "out" / c.fileName;
        const ProcessResult result = RunKestro(Q(folder / "source") + " " + Q(destination));
        EXPECT_EQ(result.ExitCode, 0) << result.Output;
        EXPECT_EQ(ToHex(ReadMasked(destination)), ToHex(EmptyFrame(c.headerName, c.codePage))) << c.settings;
    }
}

TEST(CommandLine, DestinationInMissingFolderIsACreateError) {
    TempDir folder;
    const auto destination = folder / "missing" / "out.gpi";
    const ProcessResult result = RunKestro(Q(folder.Path()) + " " + Q(destination));
    EXPECT_EQ(result.ExitCode, 3);
    ExpectErrorReport(result,
                      "EFCreateError: Cannot create file \"" + destination.string() + "\". No such file or directory");
    EXPECT_NE(result.Output.find("TOutputFile"), std::string::npos) << result.Output;
}

TEST(CommandLine, DestinationThatCannotBeWrittenIsAWriteError) {
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "the thread sanitizer's run-time does not let the program ignore SIGXFSZ";
#endif
    TempDir folder;
    const char* binary = std::getenv("KESTRO_BINARY");
    ASSERT_NE(binary, nullptr);
    const ProcessResult result =
        RunCommand("ulimit -f 0 && " + ShellQuote(binary) + " " + Q(folder.Path()) + " " + Q(folder / "out.gpi"));
    EXPECT_EQ(result.ExitCode, 3);
    ExpectErrorReport(result, "EWriteError: Cannot write file \"" + (folder / "out.gpi").string() + "\". File too large");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.gpi"));
    EXPECT_EQ(ReadFile(folder / "out.gpi.partial"), "");
}

TEST(CommandLine, CodePageWithoutConversionEndsBeforeTheOutputIsTouched) {
    TempDir folder;
    WriteFile(folder / "kestro.ini", "[kestro]\ncodepage=12345\n");
    WriteFile(folder / "out.gpi", "old");
    const ProcessResult result = RunKestro(Q(folder.Path()) + " " + Q(folder / "out.gpi"));
    EXPECT_EQ(result.ExitCode, 3);
    ExpectErrorReport(result, "EConvertError: Code page 12345 set by \"codepage\" in " + folder.Path().string() +
                                  "/kestro.ini cannot be used: the system has no conversion into CP12345.");
    EXPECT_EQ(ReadFile(folder / "out.gpi"), "old");
}

TEST(CommandLine, SettingsFileThatCannotBeReadLeavesExitCode3) {
    TempDir folder;
    std::filesystem::create_directories(folder / "kestro.ini");
    const ProcessResult result = RunKestro(Q(folder.Path()) + " " + Q(folder / "out.gpi"));
    EXPECT_EQ(result.ExitCode, 3);
    ExpectErrorReport(result, "EReadError: Cannot read file \"" + (folder / "kestro.ini").string() + "\". Is a directory");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.gpi"));
}

}  // namespace
}  // namespace kestro
