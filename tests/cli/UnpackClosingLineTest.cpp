// The unpacker's closing line proposes a command; run as printed, from where
// kestro-dump ran, it writes the rebuilt file beside the original wherever
// the unpacked folder lies.
#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

struct Case {
    std::string original;  // relative to the working folder
    std::string dir;       // as given to --unpack; "@" stands for a folder outside the working one
    std::string rebuilt;   // where the file must appear, relative to the working folder
};

TEST(UnpackClosingLine, RebuiltFileLandsBesideTheOriginal) {
    TempDir t;
    const fs::path work = t / "work";
    const Case cases[] = {
        {"p.gpi", "u", "p.rebuilt.gpi"},
        {"p.gpi", "out/deep/u", "p.rebuilt.gpi"},
        {"maps/p.gpi", "u", "maps/p.rebuilt.gpi"},
        {"maps/p.gpi", "maps/a/b/u", "maps/p.rebuilt.gpi"},
        {"my maps/it's.gpi", "un packed", "my maps/it's.rebuilt.gpi"},
        {"p.gpi", "@", "p.rebuilt.gpi"},
        {"maps/P.GPI", "../outside", "maps/P.rebuilt.gpi"},
    };
    WriteFile(t / "src/Cafes/a.gpx", Gpx(Named("50", "14", "Alpha") + Named("50.5", "14.5", "Beta")));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.original + " into " + c.dir);
        fs::remove_all(work);
        fs::remove_all(t / "outside");
        fs::create_directories((work / c.original).parent_path());
        ASSERT_EQ(RunCommand(Q(KestroBinary()) + " -q " + Q(t / "src") + " " + Q(work / c.original)).ExitCode, 0);
        const std::string dir = c.dir == "@" ? (t / "elsewhere" / std::to_string(i)).string() : c.dir;
        fs::create_directories((work / dir).parent_path());

        const auto unpack = RunCommand("cd " + Q(work) + " && " + Q(DumpBinary()) + " --unpack " + Q(dir) + " " + Q(c.original));
        ASSERT_EQ(unpack.ExitCode, 0) << unpack.Output;
        const std::string closing = "Convert it back from inside the folder: ";
        const std::size_t start = unpack.Output.rfind(closing);
        ASSERT_NE(start, std::string::npos) << unpack.Output;
        const std::string proposed =
            unpack.Output.substr(start + closing.size(), unpack.Output.find('\n', start) - start - closing.size());
        if (i == 0) {
            EXPECT_EQ(proposed, "cd u && kestro . ../p.rebuilt.gpi");
        }

        const auto again = RunCommand("cd " + Q(work) + " && PATH=" + Q(KestroBinary().parent_path()) + ":\"$PATH\" && " + proposed);
        ASSERT_EQ(again.ExitCode, 0) << proposed << "\n" << again.Output;
        ASSERT_TRUE(fs::exists(work / c.rebuilt)) << proposed;
        ExpectDumpCheckClean(work / c.rebuilt);
        TConversion rebuilt;
        rebuilt.File = ParseGpi(ReadFile(work / c.rebuilt));
        EXPECT_EQ(rebuilt.Points().size(), 2u);
        // Only the rebuilt file was written, nowhere else.
        std::size_t gpiFiles = 0;
        for (const auto& entry : fs::recursive_directory_iterator(t.Path()))
            gpiFiles += entry.path().extension() == ".gpi" || entry.path().extension() == ".GPI";
        EXPECT_EQ(gpiFiles, 2u) << proposed;
    }
}

}  // namespace
}  // namespace kestro::conversion_test
