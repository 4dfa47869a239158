// Pictures of every format and depth made into bitmap records, read back
// through the GPI reader.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "diag/Exceptions.h"
#include "gpi/Bitmap.h"
#include "gpi/FileFrame.h"
#include "gpi/GpiReader.h"
#include "gpi/GpiUtil.h"
#include "images/IconImage.h"
#include "images/StbLibraries.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

using test::TIndexedPicture;
using test::TPicture;

constexpr std::uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, White = 0xFFFFFFFF, Clear = 0x00123456;
constexpr std::uint32_t Magenta = 0xFF00FF;

// A bitmap record as the reader sees it inside a file.
struct TIcon {
    TGpiBitmap Record;
    std::vector<std::uint32_t> Palette;  // 0xRRGGBB
    std::uint32_t Colour(std::uint32_t x, std::uint32_t y) const {
        const std::size_t at = Record.PixelOffset - 44 + static_cast<std::size_t>(y) * Record.Stride + x;
        const std::uint8_t index = static_cast<std::uint8_t>(Record.Body.at(at));
        return index < Palette.size() ? Palette[index] : 0xDEADBEEF;
    }
};

TIcon ReadBack(const Bytes& body) {
    const Bytes file = GpiHeaderRecord("t.gpi", 0) + GpiCodePageRecord(1252) +
                       GpiRecord(9, GpiLangString("G"), GpiRecord(5, body)) + GpiEndRecord();
    const TGpiFile parsed = ParseGpi(file);
    EXPECT_TRUE(parsed.Problems.empty());
    TIcon icon;
    if (parsed.Groups.size() != 1 || parsed.Groups[0].Bitmaps.size() != 1) {
        ADD_FAILURE() << "no bitmap read back";
        return icon;
    }
    icon.Record = parsed.Groups[0].Bitmaps[0];
    const std::size_t palette = icon.Record.PaletteOffset - 44;
    for (std::uint32_t entry = 0; entry < icon.Record.PaletteCount; ++entry) {
        const auto* p = reinterpret_cast<const unsigned char*>(&icon.Record.Body.at(palette + entry * 4));
        icon.Palette.push_back(static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]);
    }
    return icon;
}

TIndexedPicture Quarters(std::uint32_t side, std::vector<std::uint32_t> palette) {
    // Top left 0, top right 1, bottom left 2, bottom right 3 (or 0 again with fewer entries).
    TIndexedPicture picture{side, side, {}, std::move(palette)};
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x)
            picture.Indices.push_back(static_cast<std::uint8_t>(((y >= side / 2) * 2 + (x >= side / 2)) % picture.Palette.size()));
    return picture;
}

TPicture AsPicture(const TIndexedPicture& indexed) {
    TPicture picture{indexed.Width, indexed.Height, {}};
    for (const auto index : indexed.Indices) picture.Argb.push_back(indexed.Palette[index]);
    return picture;
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

class IconFiles : public ::testing::Test {
protected:
    Bytes Convert(const std::string& name, const Bytes& content) {
        const auto path = dir_ / name;
        test::WriteFile(path, content);
        refusal_.clear();
        return GpiBitmap(path, 3, refusal_, note_);
    }
    test::TempDir dir_;
    std::string refusal_, note_;
};

// Each format and depth: size, colour count, the transparent colour and the
// four quarters' colours read back.
TEST_F(IconFiles, EveryFormatAndDepth) {
    const TIndexedPicture four = Quarters(16, {Red, Green, Blue, White});
    const TIndexedPicture withClear = Quarters(16, {Red, Green, Blue, Clear});
    const TIndexedPicture two = Quarters(16, {Red, White});
    struct Case {
        const char* name;
        Bytes content;
        std::uint32_t colours;
        std::array<std::uint32_t, 4> quarters;  // 0xRRGGBB
    };
    const std::array<std::uint32_t, 4> rgbw{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const std::array<std::uint32_t, 4> rgbClear{0xFF0000, 0x00FF00, 0x0000FF, Magenta};
    const std::array<std::uint32_t, 4> rwrw{0xFF0000, 0xFFFFFF, 0xFF0000, 0xFFFFFF};
    for (const Case& c : std::initializer_list<Case>{
             {"rgba.png", test::PngFile(AsPicture(withClear), true), 4, rgbClear},
             {"rgb.png", test::PngFile(AsPicture(four), false), 4, rgbw},
             {"palette8.png", test::PalettePngFile(four, 8), 4, rgbw},
             {"palette4.png", test::PalettePngFile(four, 4), 4, rgbw},
             {"palette1.png", test::PalettePngFile(two, 1), 2, rwrw},
             {"trns.png", test::PalettePngFile(withClear, 8), 4, rgbClear},
             {"plain.gif", test::GifFile(four), 4, rgbw},
             {"clear.gif", test::GifFile(withClear, 3), 4, rgbClear},
             {"one.bmp", test::IndexedBmpFile(two, 1), 2, rwrw},
             {"four.bmp", test::IndexedBmpFile(four, 4), 4, rgbw},
             {"true.bmp", test::BmpFile(AsPicture(four), 24), 4, rgbw},
             {"alpha.bmp", test::BmpFile(AsPicture(withClear), 32), 4, rgbClear},
         }) {
        SCOPED_TRACE(c.name);
        const Bytes body = Convert(c.name, c.content);
        ASSERT_FALSE(body.empty()) << refusal_;
        EXPECT_EQ(refusal_, "");
        EXPECT_EQ(note_, "");
        const TIcon icon = ReadBack(body);
        EXPECT_EQ(icon.Record.Number, 3);
        EXPECT_EQ(icon.Record.Width, 16);
        EXPECT_EQ(icon.Record.Height, 16);
        EXPECT_EQ(icon.Record.Stride, 16);
        EXPECT_EQ(icon.Record.BitsPerPixel, 8);
        EXPECT_EQ(icon.Record.ColourKey, Magenta);
        EXPECT_EQ(icon.Record.PaletteCount, c.colours);
        EXPECT_EQ(icon.Colour(0, 0), c.quarters[0]);
        EXPECT_EQ(icon.Colour(15, 0), c.quarters[1]);
        EXPECT_EQ(icon.Colour(0, 15), c.quarters[2]);
        EXPECT_EQ(icon.Colour(15, 15), c.quarters[3]);
    }
}

TEST_F(IconFiles, JpegKeepsItsColoursClosely) {
    const TPicture picture = AsPicture(Quarters(16, {Red, Green, Blue, White}));
    std::vector<std::uint8_t> rgb;
    for (const auto p : picture.Argb) rgb.insert(rgb.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
    const Bytes body = Convert("photo.jpg", stb::EncodeJpeg(rgb, 16, 16, 95));
    ASSERT_FALSE(body.empty()) << refusal_;
    const TIcon icon = ReadBack(body);
    EXPECT_EQ(icon.Record.Width, 16);
    EXPECT_LE(icon.Record.PaletteCount, 256u);
    EXPECT_TRUE(Near(icon.Colour(2, 2), 0xFF0000, 24)) << std::hex << icon.Colour(2, 2);
    EXPECT_TRUE(Near(icon.Colour(13, 13), 0xFFFFFF, 24)) << std::hex << icon.Colour(13, 13);
}

// An entry no pixel uses is not carried over; an odd width gets padded rows.
TEST_F(IconFiles, UnusedPaletteEntryAndOddWidth) {
    TIndexedPicture picture = Quarters(6, {Red, Green, Blue, White});
    picture.Width = 5;
    picture.Indices.clear();
    for (std::uint32_t i = 0; i < 30; ++i) picture.Indices.push_back(static_cast<std::uint8_t>(i % 3));  // never White
    const TIcon icon = ReadBack(Convert("unused.png", test::PalettePngFile(picture, 8)));
    EXPECT_EQ(icon.Record.PaletteCount, 3u);
    EXPECT_EQ(icon.Record.Width, 5);
    EXPECT_EQ(icon.Record.Stride, 8);
    EXPECT_EQ(icon.Colour(4, 5), 0x0000FF);  // pixel 29: 29 % 3 = 2
}

// Up to 256 colours, the transparent one counted, stay exact; one more and
// the quantiser chooses 256.
TEST_F(IconFiles, ColourCountAtTheBound) {
    struct Case {
        std::uint32_t opaque;
        bool transparent;
        bool exact;
    };
    for (const Case& c : std::initializer_list<Case>{{255, false, true},
                                                     {256, false, true},
                                                     {257, false, false},
                                                     {255, true, true},
                                                     {256, true, false}}) {
        SCOPED_TRACE(std::to_string(c.opaque) + (c.transparent ? " + transparent" : ""));
        TPicture picture = test::DistinctColours(17, 16);  // 272 pixels
        picture.Argb.resize(c.opaque);
        while (picture.Argb.size() < 272) picture.Argb.push_back(c.transparent ? Clear : picture.Argb.front());
        const TIcon icon = ReadBack(Convert("count.png", test::PngFile(picture, true)));
        const std::uint32_t expected = c.opaque + (c.transparent ? 1 : 0);
        EXPECT_EQ(icon.Record.PaletteCount, std::min(expected, 256u));
        std::set<std::uint32_t> distinct(icon.Palette.begin(), icon.Palette.end());
        EXPECT_EQ(distinct.size(), icon.Palette.size());
        EXPECT_EQ(distinct.count(Magenta), c.transparent ? 1u : 0u);
        std::uint32_t exactPixels = 0;
        for (std::uint32_t i = 0; i < 272; ++i) {
            const std::uint32_t shown = icon.Colour(i % 17, i / 17);
            const std::uint32_t wanted = picture.Argb[i] >> 24 < 128 ? Magenta : picture.Argb[i] & 0xFFFFFF;
            exactPixels += shown == wanted;
            // Transparency always survives, and the reduced colours stay close.
            if (wanted == Magenta) {
                EXPECT_EQ(shown, Magenta);
            }
            EXPECT_TRUE(Near(shown, wanted, 24)) << i << std::hex << ": " << shown << " for " << wanted;
        }
        if (c.exact) EXPECT_EQ(exactPixels, 272u);
        else EXPECT_LT(exactPixels, 272u);
    }
}

// A smooth gradient of 2304 colours is reduced without visible steps.
TEST_F(IconFiles, GradientQuantisedClosely) {
    TPicture picture{48, 48, {}};
    for (std::uint32_t y = 0; y < 48; ++y)
        for (std::uint32_t x = 0; x < 48; ++x)
            picture.Argb.push_back(0xFF000000u | (x * 5) << 16 | (y * 5) << 8 | ((x + y) * 2));
    const TIcon icon = ReadBack(Convert("gradient.png", test::PngFile(picture, false)));
    EXPECT_EQ(icon.Record.PaletteCount, 256u);
    double error = 0;
    for (std::uint32_t y = 0; y < 48; ++y)
        for (std::uint32_t x = 0; x < 48; ++x) {
            const std::uint32_t shown = icon.Colour(x, y), wanted = picture.At(x, y) & 0xFFFFFF;
            for (int shift = 0; shift <= 16; shift += 8) {
                const double d = static_cast<double>((shown >> shift) & 0xFF) - ((wanted >> shift) & 0xFF);
                error += d * d;
            }
        }
    // 256 colours over a plane of 48 x 48 leave cells of 3 x 3 pixels, steps of 15 in red and
    // green: a squared error of about 2 x 15² / 12 = 37.5 per pixel is the best there is.
    EXPECT_LT(error / (48 * 48), 45.0);
}

// 48 fits; 49 and more are scaled down with their shape, and a note says so.
TEST_F(IconFiles, LargerPicturesScaledToFit) {
    struct Case {
        std::uint32_t width, height, fitWidth, fitHeight;
    };
    for (const Case& c : std::initializer_list<Case>{{48, 48, 48, 48}, {49, 48, 48, 47}, {64, 64, 48, 48},
                                                     {96, 48, 48, 24}, {30, 200, 7, 48}, {1000, 1, 48, 1}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const TPicture picture = test::SolidPicture(c.width, c.height, Blue);
        const TIcon icon = ReadBack(Convert("big.png", test::PngFile(picture, false)));
        EXPECT_EQ(icon.Record.Width, c.fitWidth);
        EXPECT_EQ(icon.Record.Height, c.fitHeight);
        EXPECT_EQ(icon.Palette, std::vector<std::uint32_t>{0x0000FF});  // flat art stays flat
        if (c.width == c.fitWidth && c.height == c.fitHeight)
            EXPECT_EQ(note_, "");
        else
            EXPECT_EQ(note_, std::to_string(c.width) + " x " + std::to_string(c.height) + " pixels, scaled down to " +
                                 std::to_string(c.fitWidth) + " x " + std::to_string(c.fitHeight));
    }
    // A 64 x 64 picture of many colours: 48 x 48 of at most 256, its halves still told apart.
    TPicture many = test::DistinctColours(64, 64);
    for (std::uint32_t y = 0; y < 64; ++y)
        for (std::uint32_t x = 32; x < 64; ++x) many.Argb[y * 64 + x] = Clear;
    const TIcon icon = ReadBack(Convert("hotels.png", test::PngFile(many, true)));
    EXPECT_EQ(icon.Record.Width, 48);
    EXPECT_LE(icon.Record.PaletteCount, 256u);
    EXPECT_NE(icon.Colour(10, 10), Magenta);
    EXPECT_EQ(icon.Colour(40, 10), Magenta);
}

// Damaged, hostile and misnamed pictures give no record and say why.
TEST_F(IconFiles, BadPicturesRefused) {
    const Bytes good = test::PngFile(test::SolidPicture(8, 8, Red), false);
    struct Case {
        const char* name;
        Bytes content;
        const char* refusal;
    };
    TIndexedPicture bigGif = Quarters(2, {Red, Green});
    Bytes gifBomb = test::GifFile(bigGif);
    gifBomb[6] = gifBomb[8] = '\x30';  // 30000 = 0x7530 as the screen's width and height
    gifBomb[7] = gifBomb[9] = '\x75';
    for (const Case& c : std::initializer_list<Case>{
             {"cut.png", good.substr(0, good.size() - 30), "unreadable PNG file"},
             {"bomb.png", test::PngHeaderOnly(30000, 30000), "30000 x 30000 pixels, more than the 16777216 this program reads"},
             {"bomb.gif", gifBomb, "30000 x 30000 pixels, more than the 16777216 this program reads"},
             {"header.png", test::PngHeaderOnly(100, 100), "unreadable PNG file"},
             {"gif.png", test::GifFile(bigGif), "not a PNG file but a GIF picture"},
             {"text.gif", "just some text", "not a GIF file"},
             {"empty.png", "", "not a PNG file"},
             {"png.bmp", good, "not a BMP file but a PNG picture"},
         }) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Convert(c.name, c.content), "");
        EXPECT_EQ(refusal_.substr(0, std::string(c.refusal).size()), c.refusal) << refusal_;
    }
}

// A few bytes cannot declare more pixels than their format packs into them
// (a BMP at least one bit a pixel): refused before any pixel is made, at the bound itself.
TEST_F(IconFiles, DeclaredSizeBeyondTheBytesRefused) {
    const Bytes bmp = test::BmpFile(test::SolidPicture(8, 8, Red), 24);
    auto withHeight = [&bmp](std::uint32_t height) {
        Bytes tall = bmp;
        for (int i = 0; i < 4; ++i) tall[22 + i] = static_cast<char>(height >> (8 * i) & 0xFF);
        return tall;
    };
    const std::uint32_t most = static_cast<std::uint32_t>(bmp.size());  // 8 pixels a row, 8 a byte
    // At the bound the picture is read as far as its bytes go.
    EXPECT_NE(Convert("held.bmp", withHeight(most)), "") << refusal_;
    EXPECT_EQ(Convert("tall.bmp", withHeight(most + 1)), "");
    EXPECT_EQ(refusal_, Format("unreadable BMP file (%zu bytes cannot hold 8 x %u pixels)", bmp.size(), most + 1));
}

// The bound on pixels holds at itself: as many as allowed decode, one more does not.
TEST(IconFromImage, PixelBoundAtItself) {
    const Bytes picture = test::PngFile(test::SolidPicture(10, 10, Green), false);
    std::string refusal, note;
    EXPECT_TRUE(IconFromImage(picture, TImageFormat::Png, refusal, note, 100).has_value()) << refusal;
    EXPECT_FALSE(IconFromImage(picture, TImageFormat::Png, refusal, note, 99).has_value());
    EXPECT_EQ(refusal, "10 x 10 pixels, more than the 99 this program reads");
}

}  // namespace
}  // namespace kestro

namespace kestro {
namespace {

// Alpha below half is transparent: 127 is, 128 is not.
TEST(IconFromImage, AlphaThresholdAtHalf) {
    TPicture picture = test::SolidPicture(4, 1, 0xFF00FF00);
    picture.Argb[1] = 0x7F00FF00;
    picture.Argb[2] = 0x8000FF00;
    std::string refusal, note;
    const auto icon = IconFromImage(test::PngFile(picture, true), TImageFormat::Png, refusal, note);
    ASSERT_TRUE(icon.has_value()) << refusal;
    ASSERT_EQ(icon->Palette.size(), 2u);
    EXPECT_EQ(icon->Palette[icon->Indices[0]], 0x00FF00u);
    EXPECT_EQ(icon->Palette[icon->Indices[1]], TransparentColour);
    EXPECT_EQ(icon->Palette[icon->Indices[2]], 0x00FF00u);
}

// Compressed data that unpacks to far more than its declared pixels is
// stopped by the memory bound, not decoded to the end.
TEST(IconFromImage, DataBeyondTheDeclaredPixelsIsBounded) {
    Bytes png = test::PngFile(test::SolidPicture(8, 8, 0xFF0000FF), false);
    const Bytes rows = Bytes(8 * (1 + 8 * 3), '\0');
    std::string refusal, note;
    ASSERT_TRUE(IconFromImage(png, TImageFormat::Png, refusal, note, 64).has_value()) << refusal;
    // The same picture followed by 3 MiB of extra row data in its compressed stream.
    const Bytes bloated = test::PngFromRows(8, 8, 2, rows + Bytes(3u << 20, '\0'));
    EXPECT_TRUE(IconFromImage(bloated, TImageFormat::Png, refusal, note, 1u << 20).has_value()) << refusal;
    EXPECT_FALSE(IconFromImage(bloated, TImageFormat::Png, refusal, note, 64).has_value());
    EXPECT_EQ(refusal.rfind("unreadable PNG file (", 0), 0u) << refusal;
}

}  // namespace
}  // namespace kestro
