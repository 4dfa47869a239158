// Icons and photos of every common format through the real programs.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/ConversionSupport.h"
#include "images/ImageDecode.h"
#include "images/webp/WebpDecode.h"
#include "support/TestImages.h"

namespace kestro::conversion_test {
namespace {

using test::TPicture;

TPicture FourColours(std::uint32_t side) {
    TPicture picture{side, side, {}};
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x)
            picture.Argb.push_back(y < side / 2 ? (x < side / 2 ? 0xFFFF0000 : 0xFF00FF00) : (x < side / 2 ? 0xFF0000FF : 0x00000000));
    return picture;
}

std::string Places(const std::string& name, const std::string& links = "") {
    return Gpx(Named("50", "14", name, links));
}

const TGpiImage* FirstImage(const TGpiPoint& point) { return FindPart<TGpiImage>(point); }

// cafes.png beside cafes.gpx, a 24-bit summits.bmp, a 64 x 64 hotels.png of
// many colours and a linked PNG photo: three icons, the last scaled, and the
// photo as a JPEG; the report shows them.
TEST(Images, CommonFormatsBecomeIconsAndPhotos) {
    TempDir t;
    WriteFile(t / "src/Places/cafes.gpx", Places("Cafe", Link("src/photos/terrace.png")));
    WriteFile(t / "src/Places/cafes.png", test::PngFile(FourColours(16), true));
    WriteFile(t / "src/Places/summits.gpx", Places("Summit"));
    WriteFile(t / "src/Places/summits.bmp", test::BmpFile(FourColours(20), 24));
    WriteFile(t / "src/Places/hotels.gpx", Places("Hotel"));
    WriteFile(t / "src/Places/hotels.png", test::PngFile(test::DistinctColours(64, 64), false));
    WriteFile(t / "src/photos/terrace.png", test::PngFile(test::DistinctColours(40, 30), true));
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(LinesStarting(run.Output, "  Icon: "),
              (std::vector<std::string>{"  Icon: src/Places/cafes.png", "  Icon: src/Places/hotels.png",
                                        "  Icon: src/Places/summits.bmp"}));
    EXPECT_NE(run.Output.find("kestro: note: src/Places/hotels.gpx: icon src/Places/hotels.png: 64 x 64 pixels, scaled down to 48 x 48"),
              std::string::npos)
        << run.Output;
    ASSERT_EQ(run.File.Groups.size(), 1u);
    const auto& bitmaps = run.File.Groups[0].Bitmaps;
    ASSERT_EQ(bitmaps.size(), 3u);
    EXPECT_EQ(bitmaps[0].Width, 16);
    EXPECT_EQ(bitmaps[0].PaletteCount, 4u);
    EXPECT_EQ(bitmaps[1].Width, 48);
    EXPECT_EQ(bitmaps[1].Height, 48);
    EXPECT_EQ(bitmaps[1].PaletteCount, 256u);
    EXPECT_EQ(bitmaps[2].Width, 20);
    EXPECT_EQ(bitmaps[2].PaletteCount, 4u);  // 24 bits have no transparency: the clear quarter is black
    for (const auto& [name, number] : std::initializer_list<std::pair<const char*, int>>{{"Cafe", 0}, {"Hotel", 1}, {"Summit", 2}}) {
        const auto* reference = FindPart<TGpiBitmapRef>(run.Point(name));
        ASSERT_NE(reference, nullptr) << name;
        EXPECT_EQ(reference->Number, number) << name;
    }
    const TGpiImage* photo = FirstImage(run.Point("Cafe"));
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(ImageFormatOf(photo->Data), TImageFormat::Jpeg);
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(ImageSize(photo->Data, width, height));
    EXPECT_EQ(width, 40u);
    EXPECT_EQ(height, 30u);

    const auto report = RunCommand(Q(DumpBinary()) + " --html " + Q(t / "report.html") + " " + Q(t / "src.gpi"));
    ASSERT_EQ(report.ExitCode, 0) << report.Output;
    const std::string page = ReadFile(t / "report.html");
    std::size_t icons = 0;
    for (std::size_t at = page.find("data:image/bmp;base64,"); at != std::string::npos; at = page.find("data:image/bmp;base64,", at + 1)) ++icons;
    EXPECT_GE(icons, 3u);
    EXPECT_NE(page.find("data:image/jpeg;base64,"), std::string::npos);

    const auto babel = RunCommand("gpsbabel -i garmin_gpi -f " + Q(t / "src.gpi") + " -o unicsv -F - 2>&1");
    if (babel.ExitCode == 0) {
        EXPECT_NE(babel.Output.find("Cafe"), std::string::npos) << babel.Output;
    }
}

// Photos of every format, photosize at its bound, and bad pictures warned about.
TEST(Images, PhotosOfEveryFormatAndSize) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\nphotosize=40\n");
    const Bytes wide = test::PngFile(test::DistinctColours(80, 40), false);
    WriteFile(t / "pics/wide.png", wide);
    WriteFile(t / "pics/fits.gif", test::GifFile({40, 20, std::vector<std::uint8_t>(800, 1), {0xFF000000, 0xFFFFFFFF}}));
    WriteFile(t / "pics/broken.png", wide.substr(0, 60));
    WriteFile(t / "pics/bomb.gif", [] {
        Bytes gif = test::GifFile({2, 2, {0, 1, 1, 0}, {0xFF000000, 0xFFFFFFFF}});
        gif[6] = gif[8] = '\x30';
        gif[7] = gif[9] = '\x75';
        return gif;
    }());
    WriteFile(t / "pics/named.webp", wide);
    WriteFile(t / "src/a.gpx", Gpx(Named("50", "14", "Wide", Link("pics/wide.png")) + Named("50", "14", "Gif", Link("pics/fits.gif")) +
                                   Named("50", "14", "Bad", Link("pics/broken.png") + Link("pics/bomb.gif") + Link("pics/named.webp"))));
    const auto run = Convert(t / "src", t.Path());
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    std::uint32_t width = 0, height = 0;
    const TGpiImage* wideJpeg = FirstImage(run.Point("Wide"));
    ASSERT_NE(wideJpeg, nullptr);
    ASSERT_TRUE(ImageSize(wideJpeg->Data, width, height));
    EXPECT_EQ(width, 40u);
    EXPECT_EQ(height, 20u);
    const TGpiImage* gif = FirstImage(run.Point("Gif"));
    ASSERT_NE(gif, nullptr);
    ASSERT_TRUE(ImageSize(gif->Data, width, height));
    EXPECT_EQ(ImageFormatOf(gif->Data), TImageFormat::Jpeg);
    EXPECT_EQ(width, 40u);  // at the bound: not scaled
    EXPECT_EQ(FirstImage(run.Point("Bad")), nullptr);
    for (const char* warning : {"kestro: warning: src/a.gpx: photo pics/broken.png not used: unreadable PNG file",
                                "kestro: warning: src/a.gpx: photo pics/bomb.gif not used: 30000 x 30000 pixels, more than the",
                                "kestro: warning: src/a.gpx: photo pics/named.webp not used: not a WebP file but a PNG picture"})
        EXPECT_NE(run.Output.find(warning), std::string::npos) << warning << "\n" << run.Output;
}

// A JPEG photo goes in byte for byte unless photosize asks for less; at the bound it stays.
TEST(Images, JpegPhotosAsTheyAreUpToPhotosize) {
    for (const auto& [setting, changed] : std::initializer_list<std::pair<const char*, bool>>{
             {"", false}, {"photosize=0\n", false}, {"photosize=64\n", false}, {"photosize=63\n", true}}) {
        SCOPED_TRACE(setting);
        TempDir t;
        WriteFile(t / "src/kestro.ini", std::string("[kestro]\n") + setting);
        // The converted PNG is a JPEG 64 pixels wide: the input of the second run.
        WriteFile(t / "first/kestro.ini", "[kestro]\n");
        WriteFile(t / "pics/p.png", test::PngFile(test::DistinctColours(64, 32), false));
        WriteFile(t / "first/a.gpx", Gpx(Named("50", "14", "P", Link("pics/p.png"))));
        const auto first = Convert(t / "first", t.Path());
        const TGpiImage* made = FirstImage(first.Point("P"));
        ASSERT_NE(made, nullptr);
        WriteFile(t / "pics/p.jpg", made->Data);
        WriteFile(t / "src/a.gpx", Gpx(Named("50", "14", "P", Link("pics/p.jpg"))));
        const auto run = Convert(t / "src", t.Path());
        const TGpiImage* photo = FirstImage(run.Point("P"));
        ASSERT_NE(photo, nullptr);
        EXPECT_EQ(photo->Data == made->Data, !changed);
        std::uint32_t width = 0, height = 0;
        ASSERT_TRUE(ImageSize(photo->Data, width, height));
        EXPECT_EQ(width, changed ? 63u : 64u);
    }
}

// The icon lookup order: a linked .bmp, LIST.bmp beside the list, a linked
// folder's LIST.png, LIST.png beside the list, LIST.gif beside it.
TEST(Images, IconLookupOrder) {
    const Bytes png = test::PngFile(FourColours(8), true);
    const Bytes gif = test::GifFile({8, 8, std::vector<std::uint8_t>(64, 0), {0xFF00FF00, 0xFF000000}});
    const Bytes bmp = Bmp(8, 8);
    struct Case {
        std::vector<std::pair<const char*, Bytes>> files;
        const char* links;
        const char* icon;
        bool photo;  // a linked PNG, or a linked folder's PNG that is not the icon
    };
    for (const Case& c : std::initializer_list<Case>{
             {{{"src/cafes.bmp", bmp}, {"src/cafes.png", png}, {"src/cafes.gif", gif}}, "", "src/cafes.bmp", false},
             {{{"src/cafes.png", png}, {"src/cafes.gif", gif}}, "", "src/cafes.png", false},
             {{{"src/cafes.gif", gif}}, "", "src/cafes.gif", false},
             {{{"src/cafes.png", png}, {"set/cafes.png", png}}, "set", "set/cafes.png", false},
             {{{"src/cafes.bmp", bmp}, {"set/cafes.png", png}}, "set", "src/cafes.bmp", true},
             {{{"src/cafes.png", png}, {"own.bmp", bmp}}, "own.bmp", "own.bmp", false},
             {{{"src/cafes.png", png}, {"own.png", png}}, "own.png", "src/cafes.png", true},
         }) {
        SCOPED_TRACE(c.icon);
        TempDir t;
        for (const auto& [name, content] : c.files) WriteFile(t / name, content);
        std::string links;
        if (*c.links != '\0') links = Link(c.links);
        WriteFile(t / "src/cafes.gpx", Gpx(Named("50", "14", "C", links)));
        const auto run = Convert(t / "src", t.Path());
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_EQ(LinesStarting(run.Output, "  Icon: "), std::vector<std::string>{std::string("  Icon: ") + c.icon});
        // The folder's picture named after the list is its icon, not a photo too.
        EXPECT_EQ(FirstImage(run.Point("C")) != nullptr, c.photo);
    }
}

// The WebP pictures of tests/images/pictures (lossy, lossy with alpha,
// lossless; made with libwebp's encoder from a picture whose top left corner
// is dark blue and fully transparent) become JPEGs of their size; the
// transparent corner is white.
TEST(Images, WebpPhotosOfEveryKind) {
    if (!webp::Available()) GTEST_SKIP() << "this build does not read WebP pictures";
    TempDir t;
    for (const char* name : {"lossy.webp", "lossy-alpha.webp", "lossless.webp"})
        WriteFile(t / "pics" / name, ReadFile(std::filesystem::path("../images/pictures") / name));
    WriteFile(t / "src/a.gpx", Gpx(Named("50", "14", "Lossy", Link("pics/lossy.webp")) + Named("50", "14", "Alpha", Link("pics/lossy-alpha.webp")) +
                                   Named("50", "14", "Lossless", Link("pics/lossless.webp"))));
    const auto run = Convert(t / "src", t.Path());
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output.find("not used"), std::string::npos) << run.Output;
    struct Case {
        const char* name;
        std::uint32_t width, height;
        bool white;
    };
    for (const Case& c : {Case{"Lossy", 77, 51, false}, Case{"Alpha", 77, 51, true}, Case{"Lossless", 40, 30, true}}) {
        SCOPED_TRACE(c.name);
        const TGpiImage* photo = FirstImage(run.Point(c.name));
        ASSERT_NE(photo, nullptr);
        EXPECT_EQ(ImageFormatOf(photo->Data), TImageFormat::Jpeg);
        std::string refusal;
        const auto jpeg = DecodeImage(photo->Data, 1u << 20, refusal);
        ASSERT_TRUE(jpeg) << refusal;
        EXPECT_EQ(jpeg->Width, c.width);
        EXPECT_EQ(jpeg->Height, c.height);
        const std::uint8_t* corner = jpeg->At(0, 0);
        if (c.white) {
            EXPECT_GE(std::min({corner[0], corner[1], corner[2]}), 235);
        } else {
            EXPECT_LE(std::max(corner[0], corner[1]), 24);
            EXPECT_NEAR(corner[2], 128, 24);
        }
    }
}

}  // namespace
}  // namespace kestro::conversion_test
