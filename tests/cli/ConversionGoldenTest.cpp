// The bundled examples converted from the repository root, as `make run`
// does, and compared with the checked-in outline and progress output, so a
// change to what the program writes shows up as a readable diff. Run with
// KESTRO_UPDATE_GOLDEN=1 to rewrite the expected files after a deliberate
// change.
#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

// The tests run in tests/cli of the source tree.
fs::path RepositoryRoot() { return fs::canonical(fs::current_path() / ".." / ".."); }

void CompareWithGolden(const std::string& actual, const fs::path& golden) {
    if (std::getenv("KESTRO_UPDATE_GOLDEN") != nullptr) {
        WriteFile(golden, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(actual, ReadFile(golden)) << "differs from " << golden << " (KESTRO_UPDATE_GOLDEN=1 rewrites it)";
}

TEST(Golden, Examples) {
    const fs::path root = RepositoryRoot();
    ASSERT_TRUE(fs::is_directory(root / "examples")) << root;
    TempDir t;
    const fs::path output = t / "examples.gpi";
    const auto run = RunCommand("cd " + Q(root) + " && " + Q(KestroBinary()) + " examples " + Q(output));
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ExpectDumpCheckClean(output);
    const auto dump = RunCommand(Q(DumpBinary()) + " --no-stamp " + Q(output));
    ASSERT_EQ(dump.ExitCode, 0) << dump.Output;
    CompareWithGolden(run.Output, root / "tests/golden/examples-run.txt");
    CompareWithGolden(dump.Output, root / "tests/golden/examples.txt");
}

}  // namespace
}  // namespace kestro::conversion_test
