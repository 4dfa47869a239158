// A folder as the only argument, as a file manager passes a folder dropped on
// the program: the GPI file beside it, named after it.
#include "ConversionSupport.h"

namespace kestro::conversion_test {
namespace {

// From inside `folder`, with the argument as given; the written file must be
// the one a two-argument run writes into `expected`.
struct Case {
    std::string runIn;     // relative to the temporary folder
    std::string argument;
    std::string expected;  // relative to the temporary folder
};

TEST(FolderArgument, WritesTheFolderNameWithGpiBesideIt) {
    TempDir t;
    for (const std::string name : {"My points", "Žluťoučký kůň", "Кафе"}) {
        WriteFile(t / "two" / name / "A/a.gpx", Gpx(Named("50", "14", "Alpha")));
        WriteFile(t / "one" / name / "A/a.gpx", Gpx(Named("50", "14", "Alpha")));
    }
    const std::string kestro = Q(KestroBinary());
    const Case cases[] = {
        {"one", "My points", "one/My points.gpi"},
        {"one", "Žluťoučký kůň/", "one/Žluťoučký kůň.gpi"},
        {"one", "./Кафе//", "one/Кафе.gpi"},
        // Names that are not the folder's own: its full path names it.
        {"one/My points", ".", "one/My points.gpi"},
        {"one/My points/A", "..", "one/My points.gpi"},
        {"one/Кафе/A", "../../Кафе/.", "one/Кафе.gpi"},
    };
    for (const auto& c : cases) {
        const fs::path expected = t / c.expected;
        fs::remove(expected);
        const fs::path twoWritten = t / "two" / expected.filename();
        const std::string source = (t / "two" / expected.stem()).string();
        ASSERT_EQ(RunCommand(kestro + " " + Q(source) + " " + Q(twoWritten)).ExitCode, 0) << c.argument;

        const auto run = RunCommand("cd " + Q(t / c.runIn) + " && " + kestro + " " + Q(c.argument));
        EXPECT_EQ(run.ExitCode, 0) << c.argument << "\n" << run.Output;
        ASSERT_TRUE(fs::exists(expected)) << c.argument << "\n" << run.Output;
        EXPECT_NE(run.Output.find("Destination: "), std::string::npos) << run.Output;
        EXPECT_EQ(WithoutStamp(ReadFile(expected)), WithoutStamp(ReadFile(twoWritten))) << c.argument;
        EXPECT_EQ(RunCommand(Q(DumpBinary()) + " --check " + Q(expected)).Output, "No problems found.\n");
        // Nothing written inside the folder, nothing left beside.
        EXPECT_FALSE(fs::exists(t / "one" / expected.stem() / expected.filename())) << c.argument;
        EXPECT_FALSE(fs::exists(expected.string() + ".partial")) << c.argument;
    }
}

TEST(FolderArgument, OnlyAFolderWithANameOfItsOwn) {
    TempDir t;
    WriteFile(t / "file.gpx", Gpx(Named("50", "14", "Alpha")));
    const std::string kestro = Q(KestroBinary());
    // One argument that is no folder stays the wrong count.
    for (const std::string argument : {"file.gpx", "missing", ""}) {
        const auto run = RunCommand("cd " + Q(t.Path()) + " && " + kestro + " " + Q(argument));
        EXPECT_EQ(run.ExitCode, 1) << argument;
        EXPECT_EQ(run.Output, Banner + "ERROR! Invalid parameter count.\n\nDone.\n") << argument;
    }
    // The root has no name to give a file beside it.
    const auto root = RunCommand(kestro + " /");
    EXPECT_EQ(root.ExitCode, 1);
    EXPECT_EQ(root.Output, Banner +
                               "ERROR! \"/\" has no name to give the GPI file beside it; give the destination as the "
                               "second argument.\n\nDone.\n");
    EXPECT_FALSE(fs::exists("/.gpi"));
    EXPECT_EQ(fs::directory_iterator(t.Path())->path().filename(), "file.gpx");
}

// kestro-dump with one argument, as a file dropped on it: the outline.
TEST(FolderArgument, DumpOfOneFileIsItsOutline) {
    TempDir t;
    WriteFile(t / "Мои точки/A/a.gpx", Gpx(Named("50", "14", "Alpha")));
    ASSERT_EQ(RunCommand("cd " + Q(t.Path()) + " && " + Q(KestroBinary()) + " 'Мои точки'").ExitCode, 0);
    const auto run = RunCommand(Q(DumpBinary()) + " " + Q(t / "Мои точки.gpi"));
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Output.rfind("GPI file", 0), 0u) << run.Output;
    EXPECT_NE(run.Output.find("EN \"Alpha\""), std::string::npos) << run.Output;
}

}  // namespace
}  // namespace kestro::conversion_test
