// Peak memory of a run whose GPX file holds one huge link: the value is
// held a bounded number of times (in the document, the waypoint's links,
// the path tried), never once per step on its way. Measured as the rise of
// the process's peak resident size (VmHWM), reset before the run.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/Run.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

// A field of /proc/self/status in bytes; 0 where there is none.
std::size_t StatusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
    return 0;
}

bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return clear.good();
}

TEST(LinkMemory, HundredMegabyteLinkStaysWithinThreeTimesItsSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers keep freed memory and shadow every byte";
#endif
    if (StatusBytes("VmHWM") == 0) GTEST_SKIP() << "no /proc/self/status";
    constexpr std::size_t Link = 100'000'000;
    test::TempDir t;
    test::WriteFile(t / "src/G/a.gpx", "");
    {
        std::ofstream gpx(t / "src/G/a.gpx", std::ios::binary);
        gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx><wpt lat=\"50\" lon=\"14\"><name>A</name><link href=\"";
        const std::string chunk(1 << 20, 'a');
        for (std::size_t written = 0; written < Link; written += chunk.size())
            gpx.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), Link - written)));
        gpx << "\"/></wpt></gpx>\n";
    }
    if (!ResetPeak()) GTEST_SKIP() << "the peak cannot be reset here (/proc/self/clear_refs)";
    const std::size_t before = StatusBytes("VmRSS");
    std::ostringstream out, messages;
    const int exitCode = kestro::Run({(t / "src").string(), (t / "out.gpi").string()}, out, out, messages);
    const std::size_t peak = StatusBytes("VmHWM");
    ASSERT_EQ(exitCode, 0) << out.str();
    EXPECT_NE(messages.str().find("not used: no such file or folder"), std::string::npos);
    // Three copies, and a little for the rest of the run.
    EXPECT_LE(peak - before, 3 * Link + (8u << 20)) << "peak rose by " << (peak - before) / 1'000'000 << " MB";
    RecordProperty("PeakRiseMB", static_cast<int>((peak - before) / 1'000'000));
}

}  // namespace
}  // namespace kestro
