// Peak memory of the real kestro-dump on files of a million small records:
// every output reads the records where they lie in the file, so the peak
// stays within three times the file, not an entry per record. Measured as
// the process's largest resident size (GNU time's %M).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gpi/GpiUtil.h"
#include "support/GpiTestFiles.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

constexpr std::size_t RecordCount = 1'300'000;  // of 8 bytes: a file of 10.4 MB

// Records of a type no writer gives, each only its 8-byte head.
Bytes UnknownRecords(std::size_t count) {
    Bytes records;
    records.reserve(count * 8);
    for (std::size_t i = 0; i < count; ++i) records.append("\x34\x12\x00\x00\x00\x00\x00\x00", 8);
    return records;
}

std::string DumpBinary() {
    const char* kestro = std::getenv("KESTRO_BINARY");
    if (kestro == nullptr) throw std::runtime_error("KESTRO_BINARY is not set");
    return test::ShellQuote((std::filesystem::path(kestro).parent_path() / "kestro-dump").string());
}

struct TPeak {
    int ExitCode = -1;
    std::size_t Bytes = 0;
    std::string Output;
};

// Runs kestro-dump with its standard output thrown away.
TPeak PeakOf(const test::TempDir& t, const std::string& arguments) {
    const std::string peakFile = (t / "peak.txt").string();
    const auto run = test::RunCommand("/usr/bin/time -f %M -o " + test::ShellQuote(peakFile) + " " + DumpBinary() + " " +
                                      arguments + " >/dev/null");
    TPeak peak{run.ExitCode, 0, run.Output};
    // The last line; a run that exits with another code than 0 gets a line before it saying so.
    std::ifstream in(peakFile);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty()) last = line;
    if (!last.empty() && last.find_first_not_of("0123456789") == std::string::npos) peak.Bytes = std::stoull(last) * 1024;
    return peak;
}

class DumpMemory : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "the sanitizers keep freed memory and shadow every byte";
#endif
        if (!std::filesystem::exists("/usr/bin/time")) GTEST_SKIP() << "no /usr/bin/time (package time) to measure the peak";
    }

    // Every output of kestro-dump on the file stays within three times its size.
    void ExpectEveryOutputWithinThreeTimes(const Bytes& content) {
        const test::TempDir t;
        const std::string file = test::ShellQuote((t / "records.gpi").string());
        test::WriteFile(t / "records.gpi", content);
        const struct {
            std::string arguments;
            int exitCode;
        } cases[] = {
            {file, 0},
            {"--json " + file, 0},
            {"--check " + file, 1},
            {"--html " + test::ShellQuote((t / "page.html").string()) + " " + file, 0},
            {"--unpack " + test::ShellQuote((t / "unpacked").string()) + " " + file, 1},
        };
        for (const auto& c : cases) {
            const TPeak peak = PeakOf(t, c.arguments);
            EXPECT_EQ(peak.ExitCode, c.exitCode) << c.arguments << "\n" << peak.Output.substr(0, 2000);
            ASSERT_GT(peak.Bytes, 0u) << c.arguments << ": no peak measured\n" << peak.Output.substr(0, 2000);
            EXPECT_LE(peak.Bytes, 3 * content.size())
                << c.arguments << ": peak " << peak.Bytes / 1000 << " kB for a file of " << content.size() / 1000 << " kB";
        }
    }
};

TEST_F(DumpMemory, MillionRecordsAtFileLevel) {
    const Bytes content = test::TestFrame(UnknownRecords(RecordCount));
    ASSERT_GE(content.size(), RecordCount * 8);
    ExpectEveryOutputWithinThreeTimes(content);
}

TEST_F(DumpMemory, MillionRecordsInsideAGroup) {
    // Half in the root area, half in the group's extra part.
    const Bytes area = GpiRecord(8, test::TestAreaMain(40, 0, 60, 20) + '\0', UnknownRecords(RecordCount / 2));
    const Bytes content = test::TestFrame(GpiRecord(9, GpiLangString("G") + area, UnknownRecords(RecordCount / 2)));
    ExpectEveryOutputWithinThreeTimes(content);
}

}  // namespace
}  // namespace kestro
