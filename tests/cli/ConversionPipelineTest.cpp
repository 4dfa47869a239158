// Groups are built two at a time on two threads. Whatever the groups hold and
// wherever a run fails, the run must show and write what one group after
// another would: the progress lines, warnings and notes of each group in
// turn (both streams, as a terminal shows them), the records in order, and on
// a failure nothing of a later group. The expectation is put together from
// runs that convert each group on its own.
#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

constexpr std::size_t EndRecordSize = 8;  // FF FF 00 00 00 00 00 00

// Points, now and then one out of range (a "Skipped" line) or with a link to
// nothing (a warning).
std::string Points(int count, int seed) {
    std::string body;
    for (int i = 0; i < count; ++i) {
        const std::string name = "P" + std::to_string(seed) + "-" + std::to_string(i);
        if (i % 397 == 5) body += Named("95", "1", name);
        if (i % 401 == 7) body += Wpt("1", "1", Link("gone-" + std::to_string(i / 401) + ".jpg"));
        body += Named(std::to_string(40 + (i * 7 + seed) % 20) + "." + std::to_string(i % 97),
                      std::to_string((i * 13 + seed) % 30) + "." + std::to_string(i % 89), name);
    }
    return body;
}

struct TGroupSource {
    std::string Path;  // below the source folder
    std::string Text;  // its GPX text
};

// The group sources of the run, in the order the run visits them; the
// malformed file (if any) stops the run in the group holding it.
std::vector<std::vector<TGroupSource>> Groups(int malformedGroup) {
    const std::string malformed = Gpx(Points(300, 9) + "<wpt lat=\"1\" lon=\"1\"><name>x</nam></wpt>");
    std::vector<std::vector<TGroupSource>> groups = {
        {{"Alpha/a.bmp", Bmp(4, 4)}, {"Alpha/a.gpx", Gpx(Points(2500, 1))}},
        {{"Bravo/empty.gpx", Gpx("<trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk>")}},
        {{"Charlie/one.gpx", Gpx(Points(40, 2))}, {"Charlie/two.gpx", Gpx(Points(3000, 3))}},
        {{"Delta/speed_50.gpx", Gpx(Points(700, 4))}},
        {{"zulu.gpx", Gpx(Points(1200, 5))}},
    };
    if (malformedGroup >= 0) groups[static_cast<std::size_t>(malformedGroup)].back().Text = malformed;
    return groups;
}

void WriteGroup(const fs::path& source, const std::vector<TGroupSource>& group) {
    for (const auto& file : group) WriteFile(source / file.Path, file.Text);
}

// Output with the run's own folder named "{dir}", so that runs in different
// folders compare.
std::string InAnyFolder(std::string output, const fs::path& folder) {
    const std::string name = folder.string();
    for (auto at = output.find(name); at != std::string::npos; at = output.find(name, at))
        output.replace(at, name.size(), "{dir}");
    return output;
}

// What a failed run left behind: the destination or its partial file.
Bytes Leftover(const fs::path& source) {
    const fs::path destination = source.parent_path() / (source.filename().string() + ".gpi");
    for (const fs::path& path : {fs::path(destination.string() + ".partial"), destination})
        if (fs::exists(path)) return ReadFile(path);
    return Bytes();
}

TEST(GroupPipeline, RunShowsAndWritesWhatOneGroupAfterAnotherWould) {
    TempDir empty;
    fs::create_directories(empty / "src");
    const auto frame = Convert(empty / "src");
    ASSERT_EQ(frame.ExitCode, 0) << frame.Output;
    const std::size_t headerSize = frame.Written.size() - EndRecordSize;

    for (int malformedGroup : {-1, 0, 2, 3, 4}) {
        SCOPED_TRACE("malformed file in group " + std::to_string(malformedGroup));
        const auto groups = Groups(malformedGroup);
        std::string expectedOutput;
        Bytes expectedRecords;
        int expectedExit = 0;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            TempDir alone;
            WriteGroup(alone / "src", groups[g]);
            const auto run = Convert(alone / "src");
            if (static_cast<int>(g) == malformedGroup) {
                ASSERT_EQ(run.ExitCode, 4) << run.Output;
                expectedOutput += InAnyFolder(run.Output, alone.Path());
                expectedExit = 4;
                break;
            }
            ASSERT_EQ(run.ExitCode, 0) << run.Output;
            expectedOutput += run.Output.substr(0, run.Output.find("\nDone.\n"));
            expectedRecords += run.Written.substr(headerSize, run.Written.size() - headerSize - EndRecordSize);
        }
        if (expectedExit == 0) expectedOutput += "\nDone.\n";

        TempDir t;
        for (const auto& group : groups) WriteGroup(t / "src", group);
        const auto run = Convert(t / "src");
        EXPECT_EQ(run.ExitCode, expectedExit);
        // The summary after "Done." (waypoints not written) is the whole run's, not the groups' one after another.
        const std::size_t done = run.Output.find("\nDone.\n");
        EXPECT_EQ(InAnyFolder(done == std::string::npos ? run.Output : run.Output.substr(0, done + 7), t.Path()),
                  expectedOutput);
        const Bytes written = expectedExit == 0 ? run.Written : Leftover(t / "src");
        ASSERT_GE(written.size(), headerSize);
        const Bytes end = expectedExit == 0 ? frame.Written.substr(headerSize) : Bytes();
        EXPECT_TRUE(written.substr(headerSize) == expectedRecords + end)
            << "records differ: " << written.size() << " bytes written, "
            << headerSize + expectedRecords.size() + end.size() << " expected";
    }
}

}  // namespace
}  // namespace kestro::conversion_test
