#pragma once
// Runs the real program on one prepared bad input and checks the outcome:
// the exit code, the first line of the error report (or, for a run that
// succeeds, a file that kestro-dump --check finds clean) and what stays on
// disk.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gpi/GpiReader.h"
#include "support/TestSupport.h"

namespace kestro::test {

namespace fs = std::filesystem;

// A fresh folder for one run, on the memory file system where there is one:
// creating and removing ten thousand files on a disk takes many seconds.
class TRunFolder {
public:
    TRunFolder() {
        const fs::path base = access("/dev/shm", W_OK | X_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "kestro-bad-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder in " + base.string());
        path_ = pattern;
    }
    ~TRunFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// Where one run reads and writes; Prepare may change any of it.
struct TBadRun {
    fs::path Folder;  // the test's own temporary folder
    fs::path Source;  // created empty before Prepare
    fs::path Output;
    std::string ShellPrefix;  // e.g. "ulimit -f 0;" before the program starts

    // Where a failed run keeps what it wrote.
    fs::path Partial() const { return Output.string() + ".partial"; }
    // The file that holds what the run wrote: the output after a success.
    fs::path Written(int exitCode) const { return exitCode >= 3 ? Partial() : Output; }
};

struct TBadOutcome {
    int ExitCode = 0;
    std::vector<std::string> Lines;  // output after the banner
    std::optional<TGpiFile> File;    // the output as parsed, when there is one
};

// What a run wrote (the output after a success, the ".partial" file beside it after a failure): none (no
// regular file), or one holding this many complete group records (with the end record after a success, without
// it after a failure).
constexpr int NoOutputFile = -1;
// An output file whose last record is cut off (a full disk); Verify looks at it.
constexpr int CutOutputFile = -2;

struct TBadInput {
    const char* Name;
    std::function<void(TBadRun&)> Prepare;
    int ExitCode;
    // First line of the error report, "" for a run that succeeds; "{src}" and
    // "{out}" stand for the full source and output paths.
    std::string Report;
    int Groups;
    std::function<void(const TBadRun&, const TBadOutcome&)> Verify = nullptr;
};

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline bool HasLine(const TBadOutcome& outcome, const std::string& line) {
    for (const auto& l : outcome.Lines)
        if (l == line) return true;
    return false;
}

inline std::string Substitute(std::string text, const TBadRun& run) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{src}", run.Source.string()},
                                     std::pair<std::string, std::string>{"{out}", run.Output.string()}}) {
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    }
    return text;
}

inline fs::path DumpBinary() {
    const char* binary = std::getenv("KESTRO_BINARY");
    return binary == nullptr ? fs::path() : fs::path(binary).parent_path() / "kestro-dump";
}

// Banner lines printed before everything else.
constexpr std::size_t BannerLines = 5;

inline void RunBadInput(const TBadInput& bad) {
    SCOPED_TRACE(bad.Name);
    TRunFolder folder;
    TBadRun run{folder.Path(), folder.Path() / "src", folder.Path() / "out.gpi", ""};
    fs::create_directory(run.Source);
    bad.Prepare(run);
    // A failed run leaves the output as it was before.
    const std::optional<Bytes> before =
        fs::is_regular_file(run.Output) ? std::optional<Bytes>(ReadFile(run.Output)) : std::nullopt;
    const char* binary = std::getenv("KESTRO_BINARY");
    ASSERT_NE(binary, nullptr);
    const ProcessResult result = RunCommand(run.ShellPrefix + " exec " + ShellQuote(binary) + " " +
                                            ShellQuote(run.Source.string()) + " " + ShellQuote(run.Output.string()));
    TBadOutcome outcome;
    outcome.ExitCode = result.ExitCode;
    const auto lines = SplitLines(result.Output);
    ASSERT_GE(lines.size(), BannerLines) << result.Output;
    outcome.Lines.assign(lines.begin() + BannerLines, lines.end());
    EXPECT_EQ(outcome.ExitCode, bad.ExitCode) << result.Output;

    const std::string expectedReport = Substitute(bad.Report, run);
    if (expectedReport.empty()) {
        // After "Done.", standard error may tell what was not written.
        auto done = outcome.Lines.end();
        while (done != outcome.Lines.begin() && (done - 1)->rfind("kestro: ", 0) == 0) --done;
        ASSERT_NE(done, outcome.Lines.begin()) << result.Output;
        EXPECT_EQ(*(done - 1), "Done.") << result.Output;
    } else {
        // The report follows the progress lines ("Group: ..." and indented ones).
        std::size_t at = 0;
        while (at < outcome.Lines.size() &&
               (outcome.Lines[at].rfind("Group: ", 0) == 0 || outcome.Lines[at].rfind("  ", 0) == 0))
            ++at;
        ASSERT_LT(at + 2, outcome.Lines.size()) << result.Output;
        // The report names the input file it came from after the class name; the
        // cases here state the rest.
        std::string report = outcome.Lines[at];
        const std::string source = run.Source.string() + "/";
        if (const auto colon = report.find(": "); colon != std::string::npos && report.compare(colon + 2, source.size(), source) == 0) {
            const auto fileEnd = report.find(": ", colon + 2 + source.size());
            if (fileEnd != std::string::npos) report.erase(colon + 2, fileEnd + 2 - (colon + 2));
        }
        EXPECT_EQ(report, expectedReport) << result.Output;
        EXPECT_EQ(outcome.Lines[at + 1], "");
        EXPECT_FALSE(outcome.Lines[at + 2].empty()) << "the report lists the call stack";
        EXPECT_EQ(result.Output.find("Done."), std::string::npos);
    }

    const fs::path written = run.Written(bad.ExitCode);
    if (bad.ExitCode >= 3) {
        EXPECT_EQ(fs::is_regular_file(run.Output) ? std::optional<Bytes>(ReadFile(run.Output)) : std::nullopt, before);
        // The report is followed by a line that names the partial file, when there is one.
        EXPECT_EQ(HasLine(outcome, "What was written is kept in \"" + run.Partial().string() + "\"; \"" +
                                       run.Output.string() + "\" is as it was before the run."),
                  fs::exists(run.Partial()))
            << result.Output;
    } else {
        EXPECT_FALSE(fs::exists(run.Partial()));
    }
    if (bad.Groups == NoOutputFile) {
        EXPECT_FALSE(fs::is_regular_file(written));
    } else if (bad.Groups == CutOutputFile) {
        EXPECT_TRUE(fs::is_regular_file(written));
    } else if (fs::is_regular_file(written)) {
        const TGpiFile file = ParseGpi(ReadFile(written));
        EXPECT_EQ(static_cast<int>(file.Groups.size()), bad.Groups);
        EXPECT_EQ(file.End.has_value(), bad.ExitCode == 0) << "an end record exactly after a success";
        outcome.File = file;
    } else {
        ADD_FAILURE() << "no output file " << written;
    }
    if (bad.ExitCode == 0) {
        const ProcessResult check = RunCommand(ShellQuote(DumpBinary().string()) + " --check " +
                                               ShellQuote(run.Output.string()));
        EXPECT_EQ(check.ExitCode, 0) << check.Output;
    }
    if (bad.Verify) bad.Verify(run, outcome);
}

// The points of a group's area tree, depth first.
inline void CollectPoints(const TGpiArea& area, std::vector<const TGpiPoint*>& points) {
    for (const auto& point : area.Points) points.push_back(&point);
    for (const auto& sub : area.Areas) CollectPoints(sub, points);
}

inline std::vector<const TGpiPoint*> PointsOf(const TGpiGroup& group) {
    std::vector<const TGpiPoint*> points;
    if (group.Root) CollectPoints(*group.Root, points);
    return points;
}

inline Bytes TextOf(const TGpiText& text) { return text.empty() ? Bytes() : text.front().Text; }

}  // namespace kestro::test
