// Bad file-system situations, end to end: entries that are not what their
// names promise, lying icons, many categories, bad paths, a full disk and an
// output that would overwrite an input.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "BadInputTestSupport.h"
#include "gpi/GpiUtil.h"

namespace kestro {
namespace {

// "c100000.gpx", "c100001.gpx", ...: names that sort in creation order. Built
// by appending, since GCC 12 warns falsely (-Wrestrict) on "c" + std::string.
std::string CategoryFileName(int i) {
    std::string name(1, 'c');
    name += std::to_string(100'000 + i);
    name += ".gpx";
    return name;
}

using namespace kestro::test;

const std::string OnePoint = "<gpx><wpt lat=\"47.5\" lon=\"8.5\"><name>P</name></wpt></gpx>";

std::string WithLinks(const std::vector<std::string>& hrefs) {
    std::string links;
    for (const auto& href : hrefs) links += "<link href=\"" + href + "\"/>";
    return "<gpx><wpt lat=\"47.5\" lon=\"8.5\"><name>P</name>" + links + "</wpt></gpx>";
}

// An 8-bit BMP head: 14-byte file header and 40-byte info header, as the
// fields say, whatever the file really holds.
Bytes BmpHead(std::uint32_t pixelOffset, std::uint32_t width, std::uint32_t height, std::uint32_t colours) {
    return "BM" + GpiDword(0) + GpiDword(0) + GpiDword(pixelOffset) + GpiDword(40) + GpiDword(width) +
           GpiDword(height) + GpiWord(1) + GpiWord(8) + GpiDword(0) + GpiDword(0) + GpiDword(0) + GpiDword(0) +
           GpiDword(colours) + GpiDword(0);
}

void MakeLink(const fs::path& target, const fs::path& link) { fs::create_symlink(target, link); }

void MakeFifo(const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }

std::size_t ImageCount(const TBadOutcome& outcome) {
    if (!outcome.File || outcome.File->Groups.empty()) return 0;
    std::size_t images = 0;
    for (const auto* point : PointsOf(outcome.File->Groups.front()))
        for (const auto& part : point->Parts) images += std::holds_alternative<TGpiImage>(part) ? 1 : 0;
    return images;
}

TEST(BadInput, EntriesThatAreNotWhatTheirNamesSay) {
    for (const auto& bad : std::initializer_list<TBadInput>{
             // A folder is a group whatever its name; holding no GPX file it writes nothing.
             {"folder named x.gpx", [](TBadRun& run) { fs::create_directory(run.Source / "x.gpx"); }, 0, "", 0,
              [](const TBadRun&, const TBadOutcome& outcome) { EXPECT_TRUE(HasLine(outcome, "Group: x.gpx")); }},
             {"folder named x.gpx inside a group",
              [](TBadRun& run) {
                  WriteFile(run.Source / "g" / "a.gpx", OnePoint);
                  fs::create_directory(run.Source / "g" / "x.gpx");
              },
              0, "", 1,
              [](const TBadRun&, const TBadOutcome& outcome) {
                  ASSERT_TRUE(outcome.File && !outcome.File->Groups.empty());
                  EXPECT_EQ(outcome.File->Groups.front().Categories.size(), 1u);
              }},
             {"dangling link named x.gpx", [](TBadRun& run) { MakeLink("missing.gpx", run.Source / "x.gpx"); }, 4,
              "EFOpenError: Cannot open file \"{src}/x.gpx\". No such file or directory", 0},
             {"dangling link named x.gpx inside a group",
              [](TBadRun& run) {
                  WriteFile(run.Source / "g" / "a.gpx", OnePoint);
                  MakeLink("missing.gpx", run.Source / "g" / "x.gpx");
              },
              4, "EFOpenError: Cannot open file \"{src}/g/x.gpx\". No such file or directory", 0},
             // Reading either would never end.
             {"FIFO named x.gpx", [](TBadRun& run) { MakeFifo(run.Source / "x.gpx"); }, 4,
              "EFOpenError: Cannot open file \"{src}/x.gpx\". Not a regular file", 0},
             {"link to a device named x.gpx", [](TBadRun& run) { MakeLink("/dev/zero", run.Source / "x.gpx"); }, 4,
              "EFOpenError: Cannot open file \"{src}/x.gpx\". Not a regular file", 0},
         })
        RunBadInput(bad);
}

TEST(BadInput, LinkedImages) {
    for (const auto& bad : std::initializer_list<TBadInput>{
             // A folder named like a JPEG is a folder: its JPEG files are taken.
             {"linked JPEG that is a folder",
              [](TBadRun& run) {
                  WriteFile(run.Source / "photo.jpg" / "inner.jpg", "\xFF\xD8 inner \xFF\xD9");
                  WriteFile(run.Source / "photo.jpg" / "note.txt", "not a photo");
                  WriteFile(run.Source / "a.gpx", WithLinks({(run.Source / "photo.jpg").string()}));
              },
              0, "", 1, [](const TBadRun&, const TBadOutcome& outcome) { EXPECT_EQ(ImageCount(outcome), 1u); }},
             {"linked JPEG that is a dangling link",
              [](TBadRun& run) {
                  MakeLink("gone.jpg", run.Source / "photo.jpg");
                  WriteFile(run.Source / "a.gpx", WithLinks({(run.Source / "photo.jpg").string()}));
              },
              0, "", 1, [](const TBadRun&, const TBadOutcome& outcome) { EXPECT_EQ(ImageCount(outcome), 0u); }},
             {"linked JPEG that is a FIFO",
              [](TBadRun& run) {
                  MakeFifo(run.Source / "photo.jpg");
                  WriteFile(run.Source / "a.gpx", WithLinks({(run.Source / "photo.jpg").string()}));
              },
              4, "EFOpenError: Cannot open file \"{src}/photo.jpg\". Not a regular file", 0},
         })
        RunBadInput(bad);
}

TEST(BadInput, BitmapsThatLieAboutTheirSizes) {
    auto iconShown = [](bool shown) {
        return [shown](const TBadRun& run, const TBadOutcome& outcome) {
            EXPECT_EQ(HasLine(outcome, "  Icon: " + (run.Source / "a.bmp").string()), shown);
            ASSERT_TRUE(outcome.File && !outcome.File->Groups.empty());
            EXPECT_EQ(outcome.File->Groups.front().Bitmaps.size(), shown ? 1u : 0u);
        };
    };
    auto withIcon = [](const Bytes& bmp) {
        return [bmp](TBadRun& run) {
            WriteFile(run.Source / "a.gpx", OnePoint);
            WriteFile(run.Source / "a.bmp", bmp);
        };
    };
    for (const auto& bad : std::initializer_list<TBadInput>{
             // The pixels and palette it promises are not there: they read as zeros.
             {"48 x 48 in 54 bytes, pixels far behind the end, 1000 colours",
              withIcon(BmpHead(0x7FFFFFFF, 48, 48, 1000)), 0, "", 1, iconShown(true)},
             {"pixel offset inside the header", withIcon(BmpHead(10, 4, 4, 0) + "rest"), 0, "", 1, iconShown(true)},
             {"negative height (top-down)", withIcon(BmpHead(54, 4, static_cast<std::uint32_t>(-4), 0)), 0, "", 1,
              iconShown(false)},
             {"width of 2^31", withIcon(BmpHead(54, 0x80000000u, 4, 0)), 0, "", 1, iconShown(false)},
             {"only the signature", withIcon("BM"), 0, "", 1, iconShown(false)},
         })
        RunBadInput(bad);
}

TEST(BadInput, ManyCategories) {
    RunBadInput({"10,000 category files in one folder",
                 [](TBadRun& run) {
                     fs::create_directory(run.Source / "g");
                     for (int i = 0; i < 10'000; ++i) {
                         const std::string lat = std::to_string(-80 + (i % 160)) + "." + std::to_string(i % 10);
                         const std::string lon = std::to_string(-170 + (i % 340));
                         WriteFile(run.Source / "g" / CategoryFileName(i),
                                   "<gpx><wpt lat=\"" + lat + "\" lon=\"" + lon + "\"><name>P</name></wpt></gpx>");
                     }
                 },
                 0, "", 1,
                 [](const TBadRun&, const TBadOutcome& outcome) {
                     ASSERT_TRUE(outcome.File && !outcome.File->Groups.empty());
                     const auto& group = outcome.File->Groups.front();
                     ASSERT_EQ(group.Categories.size(), 10'000u);
                     EXPECT_EQ(group.Categories.back().Number, 9'999);
                     EXPECT_EQ(PointsOf(group).size(), 10'000u);
                 }});
    // Category numbers are 16 bits and 0xFFFF means none: one file more than
    // fits is refused before any is read.
    RunBadInput({"65,536 category files in one folder",
                 [](TBadRun& run) {
                     fs::create_directory(run.Source / "g");
                     for (int i = 0; i < 65'536; ++i)
                         WriteFile(run.Source / "g" / CategoryFileName(i), "");
                 },
                 4, "Exception: Group \"g\" holds 65536 category files; a group can have at most 65535 categories", 0,
                 [](const TBadRun&, const TBadOutcome& outcome) { EXPECT_FALSE(HasLine(outcome, "    0 POIs")); }});
}

TEST(BadInput, BadPaths) {
    for (const auto& bad : std::initializer_list<TBadInput>{
             {"source folder that is a file",
              [](TBadRun& run) {
                  fs::remove(run.Source);
                  WriteFile(run.Source, OnePoint);
              },
              2, "", NoOutputFile,
              [](const TBadRun&, const TBadOutcome& outcome) {
                  EXPECT_EQ(outcome.Lines.front(), "ERROR! Source path does not exist!");
              }},
             {"output in a missing folder", [](TBadRun& run) { run.Output = run.Folder / "missing" / "out.gpi"; }, 3,
              "EFCreateError: Cannot create file \"{out}\". No such file or directory", NoOutputFile},
             {"output that is the source folder", [](TBadRun& run) { run.Output = run.Source; }, 3,
              "EFCreateError: Cannot create file \"{out}\". Is a directory", NoOutputFile},
         })
        RunBadInput(bad);
}

TEST(BadInput, FullFileSystem) {
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "the thread sanitizer's run-time does not let the program ignore SIGXFSZ";
#endif
    auto pointsInOneGroup = [](TBadRun& run, const std::string& limit) {
        std::string waypoints;
        for (int i = 0; i < 200; ++i)
            waypoints += "<wpt lat=\"47." + std::to_string(i) + "\" lon=\"8.5\"><name>Point " + std::to_string(i) +
                         "</name></wpt>";
        WriteFile(run.Source / "a.gpx", "<gpx>" + waypoints + "</gpx>");
        // The program ignores SIGXFSZ, so a write beyond the limit fails instead of ending the process.
        run.ShellPrefix = "ulimit -f " + limit + ";";
    };
    for (const auto& bad : std::initializer_list<TBadInput>{
             {"no room for the header", [&](TBadRun& run) { pointsInOneGroup(run, "0"); }, 3,
              "EWriteError: Cannot write file \"{out}\". File too large", CutOutputFile,
              [](const TBadRun& run, const TBadOutcome&) { EXPECT_EQ(fs::file_size(run.Partial()), 0u); }},
             {"no room for the group", [&](TBadRun& run) { pointsInOneGroup(run, "2"); }, 4,
              "EWriteError: Cannot write file \"{out}\". File too large", CutOutputFile,
              [](const TBadRun& run, const TBadOutcome&) {
                  // The header records and as much of the group as fitted (the shell counts
                  // blocks of 512 or 1024 bytes); no end record.
                  const auto size = fs::file_size(run.Partial());
                  EXPECT_TRUE(size == 1024 || size == 2048) << size;
                  const TGpiFile file = ParseGpi(ReadFile(run.Partial()));
                  EXPECT_TRUE(file.PoiHeader.has_value());
                  EXPECT_TRUE(file.Groups.empty() || !file.Problems.empty()) << "the group record is cut";
                  EXPECT_FALSE(file.End.has_value());
              }},
         })
        RunBadInput(bad);
}

TEST(BadInput, OutputThatIsAnInput) {
    auto unchanged = [](const std::string& relative, const Bytes& content) {
        return [relative, content](const TBadRun& run, const TBadOutcome&) {
            EXPECT_EQ(ReadFile(run.Source / relative), content) << relative;
        };
    };
    const std::string settings = "[kestro]\nmaxregion=16\n";
    auto sources = [settings](TBadRun& run) {
        WriteFile(run.Source / "a.gpx", OnePoint);
        WriteFile(run.Source / "g" / "c.gpx", OnePoint);
        WriteFile(run.Source / "kestro.ini", settings);
    };
    for (const auto& bad : std::initializer_list<TBadInput>{
             {"a loose GPX file",
              [&](TBadRun& run) {
                  sources(run);
                  run.Output = run.Source / "a.gpx";
              },
              3, "EFCreateError: Cannot create file \"{out}\". It is one of the input files of this run.",
              NoOutputFile, unchanged("a.gpx", OnePoint)},
             {"a category file",
              [&](TBadRun& run) {
                  sources(run);
                  run.Output = run.Source / "g" / "c.gpx";
              },
              3, "EFCreateError: Cannot create file \"{out}\". It is one of the input files of this run.",
              NoOutputFile, unchanged("g/c.gpx", OnePoint)},
             {"a link to a GPX file",
              [&](TBadRun& run) {
                  sources(run);
                  MakeLink(run.Source / "a.gpx", run.Folder / "out.gpi");
              },
              3, "EFCreateError: Cannot create file \"{out}\". It is one of the input files of this run.",
              NoOutputFile, unchanged("a.gpx", OnePoint)},
             {"the icon beside a GPX file",
              [&](TBadRun& run) {
                  sources(run);
                  WriteFile(run.Source / "a.bmp", "BM");
                  run.Output = run.Source / "a.bmp";
              },
              3, "EFCreateError: Cannot create file \"{out}\". It is one of the input files of this run.",
              NoOutputFile, unchanged("a.bmp", "BM")},
             {"the settings file",
              [&](TBadRun& run) {
                  sources(run);
                  run.Output = run.Source / "kestro.ini";
              },
              3, "EFCreateError: Cannot create file \"{out}\". It is the settings file of this run.", NoOutputFile,
              unchanged("kestro.ini", settings)},
             // A new GPX name in a folder the run lists would be read back as a group or category.
             {"a new GPX file in the source folder",
              [&](TBadRun& run) {
                  sources(run);
                  run.Output = run.Source / "z.GPX";
              },
              3, "EFCreateError: Cannot create file \"{out}\". The run would read it as one of its input files.",
              NoOutputFile},
             {"a new GPX file in a group folder",
              [&](TBadRun& run) {
                  sources(run);
                  run.Output = run.Source / "g" / "out.gpx";
              },
              3, "EFCreateError: Cannot create file \"{out}\". The run would read it as one of its input files.",
              NoOutputFile},
             // Folders starting with "." are no groups: a file there is no input.
             {"a GPX name in a hidden folder",
              [&](TBadRun& run) {
                  sources(run);
                  fs::create_directory(run.Source / ".out");
                  run.Output = run.Source / ".out" / "out.gpx";
              },
              0, "", 2},
         })
        RunBadInput(bad);
}

}  // namespace
}  // namespace kestro
