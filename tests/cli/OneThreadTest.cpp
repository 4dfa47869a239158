// The store and the area tree run in turn on the reading thread (the
// browser build's way) write the bytes and print the lines the threads do:
// the same file but the time stamp, the same output, the same exit code.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "cli/ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

fs::path OneThreadBinary() { return KestroBinary().parent_path() / "kestro-one-thread"; }

// What a run printed and left: the file, and the partial file a failed run keeps.
struct TRunResult {
    test::ProcessResult Process;
    Bytes File;     // empty where none was written
    Bytes Partial;  // likewise
};

struct TBothRuns {
    TRunResult Threads;
    TRunResult OneThread;
};

// Runs both programs from `cwd` on the same operands; each writes the same
// destination in turn, so that every printed path is the same.
TBothRuns RunBoth(const fs::path& cwd, const std::string& source, const fs::path& destination) {
    TBothRuns runs;
    const fs::path partial = destination.string() + ".partial";
    auto one = [&](const fs::path& binary, TRunResult& result) {
        fs::remove(destination);
        fs::remove(partial);
        result.Process =
            RunCommand("cd " + Q(cwd) + " && " + Q(binary) + " " + Q(source) + " " + Q(destination) + " 2>&1");
        if (fs::exists(destination)) result.File = ReadFile(destination);
        if (fs::exists(partial)) result.Partial = ReadFile(partial);
    };
    one(KestroBinary(), runs.Threads);
    one(OneThreadBinary(), runs.OneThread);
    return runs;
}

void ExpectSameFile(const Bytes& a, const Bytes& b) {
    ASSERT_EQ(a.size(), b.size());
    if (a.empty()) return;
    ASSERT_GT(a.size(), 20u);
    // Bytes 16 to 19 are the time of the run.
    EXPECT_TRUE(a.compare(0, 16, b, 0, 16) == 0);
    EXPECT_TRUE(a.compare(20, Bytes::npos, b, 20, Bytes::npos) == 0) << "one thread wrote other bytes";
}

// The two programs' own main functions are in two source files: an error
// report names their frames with the file and line where the build keeps
// them, and the call into Run may or may not be a frame of its own. Those
// lines are left out; every frame below main is compared.
std::string WithoutOwnMainFrames(const std::string& output) {
    std::string kept;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        end = end == std::string::npos ? output.size() : end + 1;
        const std::string_view line(output.data() + start, end - start);
        const bool ownMain = line.rfind("main at ", 0) == 0 || line.find("main::{lambda") != std::string_view::npos;
        if (!ownMain) kept += line;
        start = end;
    }
    return kept;
}

void ExpectSame(const TBothRuns& runs) {
    EXPECT_EQ(runs.Threads.Process.ExitCode, runs.OneThread.Process.ExitCode);
    EXPECT_EQ(WithoutOwnMainFrames(runs.Threads.Process.Output), WithoutOwnMainFrames(runs.OneThread.Process.Output));
    ExpectSameFile(runs.Threads.File, runs.OneThread.File);
    ExpectSameFile(runs.Threads.Partial, runs.OneThread.Partial);
}

std::string ManyPoints(int first, int count) {
    std::string body;
    for (int i = first; i < first + count; ++i) {
        const std::string lat = std::to_string(48 + (i * 37 % 1000) / 250.0);
        const std::string lon = std::to_string(11 + (i * 53 % 1000) / 200.0);
        body += Named(lat, lon, "P" + std::to_string(i),
                      i % 7 == 0 ? WaypointExtension("<gpxx:Proximity>250</gpxx:Proximity>") : std::string());
    }
    return body;
}

TEST(OneThread, ExamplesGiveTheSameBytesAndLines) {
    ASSERT_TRUE(fs::exists(OneThreadBinary())) << OneThreadBinary();
    TempDir t;
    const TBothRuns runs = RunBoth(test::SourceDir(), "examples", t / "examples.gpi");
    ASSERT_EQ(runs.Threads.Process.ExitCode, 0) << runs.Threads.Process.Output;
    ASSERT_FALSE(runs.Threads.File.empty());
    ExpectSame(runs);
}

TEST(OneThread, ManyGroupsWithWarningsGiveTheSameBytesAndLines) {
    TempDir t;
    const fs::path source = t / "source";
    // Several groups of more points than a batch of the store thread, some
    // left out or warned about, and a deep area tree.
    WriteFile(source / "kestro.ini", "[kestro]\nmaxregion=5\n");
    WriteFile(source / "Alpha" / "a.gpx",
              Gpx(ManyPoints(0, 700) + Named("0", "0", "Null island") + Named("95", "10", "Off the globe") +
                  ManyPoints(700, 300)));
    WriteFile(source / "Alpha" / "b.gpx", Gpx(ManyPoints(1000, 130)));
    WriteFile(source / "Beta" / "c.gpx", Gpx(ManyPoints(2000, 65) + Named("abc", "10", "Unreadable")));
    WriteFile(source / "Empty" / "d.gpx", Gpx(""));
    WriteFile(source / "Loose@80.gpx", Gpx(ManyPoints(3000, 64)));
    WriteFile(source / "List.csv", "10.5,48.5,\"Listed\"\n11.5,49.5,\"Listed too\"\nnot a line\n");
    const TBothRuns runs = RunBoth(t.Path(), "source", t / "out.gpi");
    ASSERT_EQ(runs.Threads.Process.ExitCode, 0) << runs.Threads.Process.Output;
    ASSERT_FALSE(runs.Threads.File.empty());
    ExpectSame(runs);
}

TEST(OneThread, AFailingGroupEndsBothRunsAlike) {
    // A broken file in the second group, and in a loose file after a good
    // group: what came before is kept as ".partial" and the lines agree.
    for (const bool loose : {false, true}) {
        SCOPED_TRACE(loose);
        TempDir t;
        const fs::path source = t / "source";
        WriteFile(source / "A" / "a.gpx", Gpx(ManyPoints(0, 200)));
        if (loose)
            WriteFile(source / "z.gpx", Gpx(ManyPoints(300, 100)) + "<wpt");
        else
            WriteFile(source / "B" / "b.gpx", "<gpx><wpt lat=\"1\" lon=\"2\"><name>x</wpt></gpx>");
        WriteFile(source / "C" / "c.gpx", Gpx(ManyPoints(500, 100)));
        const TBothRuns runs = RunBoth(t.Path(), "source", t / "out.gpi");
        ASSERT_NE(runs.Threads.Process.ExitCode, 0) << runs.Threads.Process.Output;
        // The first group was written before the failure.
        ASSERT_FALSE(runs.Threads.Partial.empty()) << runs.Threads.Process.Output;
        ExpectSame(runs);
    }
}

}  // namespace
}  // namespace kestro::conversion_test
