// The files and folders unpack writes: their permissions, and GPX that any
// XML reader takes.
#include <sys/stat.h>

#include "cli/ConversionSupport.h"
#include "diag/Exceptions.h"
#include "support/GpiTestFiles.h"

namespace kestro::conversion_test {
namespace {

bool Have(const std::string& tool) { return RunCommand("command -v " + tool).ExitCode == 0; }

unsigned Mode(const fs::path& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return 0;
    return info.st_mode & 07777;
}

// Folders are made as any program makes them: 0777 less the umask.
TEST(UnpackFiles, FoldersFollowTheUmask) {
    TempDir t;
    WriteFile(t / "src/G/a.gpx", Gpx(Named("50", "14", "A", "<link href=\"src/G/a.bmp\"/>")));
    WriteFile(t / "src/G/a.bmp", Bmp(16, 16));
    ASSERT_EQ(Convert(t / "src", t.Path()).ExitCode, 0);
    const auto unpack = RunCommand("umask 002 && " + Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(t / "src.gpi"));
    ASSERT_EQ(unpack.ExitCode, 0) << unpack.Output;
    for (const char* folder : {"u", "u/G"}) EXPECT_EQ(Mode(t / folder), 0775u) << folder;
    EXPECT_EQ(Mode(t / "u/G/a.gpx") & 0777, 0664u);
}

// A control character (0x1F) is left out and counted; tab stays. The
// namespace of translations is declared only in files that have some.
TEST(UnpackFiles, GpxHoldsOnlyWhatXmlAllows) {
    TempDir t;
    test::TTestGroup group;
    group.Name = "G";
    test::TTestPoint point;
    point.Lat = 50;
    point.Lon = 14;
    point.Name = "A\x1F" "B";
    point.Comment = "C\tD";
    group.Points.push_back(point);
    WriteFile(t / "a.gpi", test::TestGpiFile({group}));
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(t / "a.gpi"));
    EXPECT_EQ(unpack.ExitCode, 1) << unpack.Output;
    EXPECT_NE(unpack.Output.find("  1 control characters in texts (left out: XML 1.0 cannot hold them)\n"),
              std::string::npos)
        << unpack.Output;
    const std::string gpx = ReadFile(t / "u/G.gpx");
    EXPECT_NE(gpx.find("<name>AB</name>"), std::string::npos) << gpx;
    EXPECT_NE(gpx.find("<cmt>C&#9;D</cmt>"), std::string::npos) << gpx;
    EXPECT_EQ(gpx.find("xmlns:kestro"), std::string::npos) << gpx;
    if (Have("xmllint")) {
        const auto lint = RunCommand("xmllint --noout " + Q(t / "u/G.gpx"));
        EXPECT_EQ(lint.ExitCode, 0) << lint.Output;
    }
    if (Have("gpsbabel")) {
        const auto babel = RunCommand("gpsbabel -i gpx -f " + Q(t / "u/G.gpx") + " -o unicsv -F -");
        EXPECT_EQ(babel.ExitCode, 0) << babel.Output;
        EXPECT_NE(babel.Output.find("AB"), std::string::npos) << babel.Output;
    }

    // With a translation the namespace is declared.
    WriteFile(t / "src/G.gpx", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx xmlns:kestro=\"urn:kestro:gpx-languages:1\">" +
                                   Named("50", "14", "A", "<extensions><kestro:name lang=\"EN\">E</kestro:name></extensions>") +
                                   "</gpx>\n");
    WriteFile(t / "src/kestro.ini", "[kestro]\nlanguages=RU,EN\n");
    ASSERT_EQ(Convert(t / "src").ExitCode, 0);
    ASSERT_EQ(RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "v") + " " + Q(t / "src.gpi")).ExitCode, 0);
    EXPECT_NE(ReadFile(t / "v/G.gpx").find(" xmlns:kestro=\"urn:kestro:gpx-languages:1\""), std::string::npos);
}

}  // namespace
}  // namespace kestro::conversion_test
