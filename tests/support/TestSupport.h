#pragma once
// Helpers shared by the test binaries: byte strings written like the
// format tables, temporary folders, and running the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Bytes.h"

namespace kestro::test {

// "07 00 45 4E" -> the four bytes; blanks and line breaks are ignored.
Bytes Hex(const std::string& text);
// The bytes as upper-case hex pairs separated by blanks, for readable failures.
std::string ToHex(const Bytes& bytes);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const Bytes& content);
Bytes ReadFile(const std::filesystem::path& path);

struct ProcessResult {
    int ExitCode = -1;
    std::string Output;  // standard output and standard error, interleaved
};
// Runs a shell command line and collects its output.
ProcessResult RunCommand(const std::string& commandLine);
// Runs the real kestro binary (path from KESTRO_BINARY) with the given argument text.
ProcessResult RunKestro(const std::string& arguments);
// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);
// The root of the source tree.
std::filesystem::path SourceDir();
// The shared material folder: KESTRO_SHARED, else "shared" beside the source tree.
std::filesystem::path SharedDir();

// Tests of files that exist only in the shared material folder (files of
// other writers, which cannot be made at test time): skipped with the reason
// where the folder is missing, failed instead under KESTRO_REQUIRE_SHARED=1.
class TSharedDataTest : public ::testing::Test {
protected:
    void SetUp() override;
    // The peer GPI files: SharedDir()/data/peer/gpi.
    static std::filesystem::path PeerGpiFolder();
};

}  // namespace kestro::test
