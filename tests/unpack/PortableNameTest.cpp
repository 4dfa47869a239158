// Names Linux or Windows cannot hold, replaced by one rule on both, and given
// back by kestro.ini so that the unpacked folder converts into the same file.
#include "cli/ConversionSupport.h"
#include "unpack/PortableName.h"
#include "unpack/UnpackNames.h"

namespace kestro::conversion_test {
namespace {

TEST(PortableName, ReplacesWhatEitherSystemRefuses) {
    struct Case {
        const char* name;
        bool folder;
        const char* written;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"????", false, "____"},
             {"a:b*c\"d<e>f|g?h", true, "a_b_c_d_e_f_g_h"},
             {"Caf\xC3\xA9 ok", true, "Caf\xC3\xA9 ok"},
             // Trailing dots and blanks: the whole entry of a folder; a file's extension follows its base.
             {"trip.", true, "trip_"},
             {"trip. .", true, "trip___"},
             {"trip.x", true, "trip.x"},
             {"trip.", false, "trip."},
             {" trip", true, " trip"},  // a leading blank stands, a leading dot does not
             // Device names, with any extension and trailing blanks of the stem, in any letter case.
             {"CON", true, "CON_"},
             {"con.gpx", false, "con_.gpx"},
             {"Aux.tar.gz", false, "Aux_.tar.gz"},
             {"NUL .x", false, "NUL_ .x"},
             {"PRN", false, "PRN_"},
             {"CONIN$", false, "CONIN$_"},
             {"conout$.x", false, "conout$_.x"},
             {"COM0", false, "COM0_"},
             {"COM9", false, "COM9_"},
             {"COM10", false, "COM10"},
             {"COM", false, "COM"},
             {"LPT1", false, "LPT1_"},
             {"lpt\xC2\xB3", false, "lpt\xC2\xB3_"},
             {"LPT\xC2\xB4", false, "LPT\xC2\xB4"},
             {"CONX", false, "CONX"},
             {"XCON", false, "XCON"},
             {"CON.", true, "CON_"},
         }) {
        EXPECT_EQ(SafeEntryName(c.name, c.folder), c.written) << c.name << (c.folder ? " (folder)" : " (file)");
    }
    for (const char c : std::string("/\\?:*\"<>|\x01\x1F\x7F")) EXPECT_TRUE(ForbiddenInFileName(c)) << int(c);
    for (const char c : std::string(" .,;=+-_'[]{}()!#$%&@^~`\x80\xFF")) EXPECT_FALSE(ForbiddenInFileName(c)) << int(c);
}

// Names a code page wrote as "?", device names and names ending in a dot or
// a blank: listed, written in place of the originals, and converted back
// into the same bytes.
TEST(PortableName, UnpackedFolderConvertsBackIntoTheSameFile) {
    TempDir t;
    // The names sort alike before and after the replacement ("?" and "_"
    // sort otherwise against letters): kestro orders groups and categories by name.
    WriteFile(t / "src/kestro.ini", "[kestro]\ncodepage=1252\n");
    const std::string cafe = "\xD0\x9A\xD0\xB0\xD1\x84\xD0\xB5";  // Кафе: "????" in code page 1252
    WriteFile(t / "src" / cafe / "\xD0\x9F\xD1\x83\xD1\x88\xD0\xBA\xD0\xB8\xD0\xBD.gpx", Gpx(Named("50", "14", "Alpha")));
    WriteFile(t / "src" / cafe / "0 zoo.gpx", Gpx(Named("50.1", "14", "Zoo")));
    WriteFile(t / "src/8 dev/con.gpx", Gpx(Named("50.2", "14.1", "Con")));
    WriteFile(t / "src/8 dev/LPT1.gpx", Gpx(Named("50.3", "14.1", "Lpt")));
    WriteFile(t / "src/9 trip./a b.gpx", Gpx(Named("50.4", "14.2", "Dot")));
    WriteFile(t / "src/nul.gpx", Gpx(Named("50.5", "14.3", "Nul")));
    WriteFile(t / "src/what? <really>.gpx", Gpx(Named("50.6", "14.3", "Loose")));
    fs::create_directories(t / "rebuilt");
    ASSERT_EQ(RunCommand(Q(KestroBinary()) + " " + Q(t / "src") + " " + Q(t / "p.gpi")).ExitCode, 0);
    ASSERT_NE(ReadFile(t / "p.gpi").find("????"), std::string::npos);

    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(t / "p.gpi"));
    EXPECT_TRUE(unpack.ExitCode == 0 || unpack.ExitCode == 1) << unpack.Output;
    for (const char* listed : {"\"????\" as \"____\"", "\"??????\" as \"____/______\"", "\"con\" as \"8 dev/con_\"",
                               "\"LPT1\" as \"8 dev/LPT1_\"", "\"9 trip.\" as \"9 trip_\"", "\"nul\" as \"nul_\"",
                               "\"what? <really>\" as \"what_ _really_\""})
        EXPECT_NE(unpack.Output.find(listed), std::string::npos) << listed << "\n" << unpack.Output;
    for (const char* entry : {"____/______.gpx", "____/0 zoo.gpx", "8 dev/con_.gpx", "8 dev/LPT1_.gpx", "9 trip_/a b.gpx",
                              "nul_.gpx", "what_ _really_.gpx"})
        EXPECT_TRUE(fs::exists(t / "u" / entry)) << entry;
    const std::string settings = ReadFile(t / "u/kestro.ini");
    EXPECT_NE(settings.find("\n[EN]\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\n8 dev/con_ = con\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\n____/______ = ??????\n"), std::string::npos) << settings;

    const auto again = RunCommand("cd " + Q(t / "u") + " && " + Q(KestroBinary()) + " . ../rebuilt/p.gpi");
    ASSERT_EQ(again.ExitCode, 0) << again.Output;
    EXPECT_EQ(WithoutStamp(ReadFile(t / "rebuilt/p.gpi")), WithoutStamp(ReadFile(t / "p.gpi")));
}

}  // namespace
}  // namespace kestro::conversion_test
