// Pictures made into embedded photos.
#include <gtest/gtest.h>

#include "images/ImageDecode.h"
#include "images/PhotoImage.h"
#include "images/webp/WebpDecode.h"
#include "support/TestImages.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {

// 24 x 16, lossless: left half red, right half blue, the top-right 4 x 4 corner transparent.
const Bytes HalvesWebp = test::Hex(
    "52 49 46 46 30 00 00 00 57 45 42 50 56 50 38 4c 24 00 00 00 2f 17 c0 03 10 17 10 f3 2f 20 28 f2 "
    "7f b4 f9 0f f8 40 41 db 36 4c 49 86 64 90 76 07 40 44 ff 43 85 d4 7c 00");

bool Near(const std::uint8_t* pixel, std::uint32_t rgb) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(int(pixel[c]) - int((rgb >> (16 - 8 * c)) & 0xFF)) > 24) return false;
    return true;
}

TEST(PhotoAsJpeg, PngBecomesJpegOfTheSameSizeAndColours) {
    test::TPicture picture = test::SolidPicture(20, 10, 0xFFFF0000);
    for (std::uint32_t y = 0; y < 10; ++y)
        for (std::uint32_t x = 10; x < 20; ++x) picture.Argb[y * 20 + x] = 0x00000000;  // transparent: white
    std::string refusal;
    const auto jpeg = PhotoAsJpeg(test::PngFile(picture, true), TImageFormat::Png, 0, refusal);
    ASSERT_TRUE(jpeg.has_value()) << refusal;
    EXPECT_EQ(ImageFormatOf(*jpeg), TImageFormat::Jpeg);
    const auto decoded = DecodeImage(*jpeg, 1000, refusal);
    ASSERT_TRUE(decoded.has_value()) << refusal;
    EXPECT_EQ(decoded->Width, 20u);
    EXPECT_EQ(decoded->Height, 10u);
    EXPECT_TRUE(Near(decoded->At(2, 5), 0xFF0000));
    EXPECT_TRUE(Near(decoded->At(17, 5), 0xFFFFFF));
}

// Scaled so that the longer side is the size asked for; at the size itself nothing changes.
TEST(PhotoAsJpeg, MaxSideAtItsBound) {
    const Bytes png = test::PngFile(test::DistinctColours(30, 20), false);
    for (const auto& [maxSide, width, height] : std::initializer_list<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>>{
             {0, 30, 20}, {31, 30, 20}, {30, 30, 20}, {29, 29, 19}, {15, 15, 10}}) {
        std::string refusal;
        const auto jpeg = PhotoAsJpeg(png, TImageFormat::Png, maxSide, refusal);
        ASSERT_TRUE(jpeg.has_value()) << refusal;
        std::uint32_t w = 0, h = 0;
        ASSERT_TRUE(ImageSize(*jpeg, w, h));
        EXPECT_EQ(w, width) << maxSide;
        EXPECT_EQ(h, height) << maxSide;
    }
}

// A JPEG stays byte for byte up to the size asked for, and only beyond it is encoded anew.
TEST(PhotoAsJpeg, JpegKeptUpToMaxSide) {
    std::string refusal;
    const auto jpeg = PhotoAsJpeg(test::PngFile(test::DistinctColours(30, 20), false), TImageFormat::Png, 0, refusal);
    ASSERT_TRUE(jpeg.has_value()) << refusal;
    for (const auto& [maxSide, kept] : std::initializer_list<std::pair<std::uint32_t, bool>>{{0, true}, {31, true}, {30, true}, {29, false}}) {
        const auto again = PhotoAsJpeg(*jpeg, TImageFormat::Jpeg, maxSide, refusal);
        ASSERT_TRUE(again.has_value()) << refusal;
        EXPECT_EQ(*again == *jpeg, kept) << maxSide;
    }
}

// Signatures cut short are no picture, and never read past the end.
TEST(ImageFormatOf, ShortContent) {
    for (const char* content : {"", "B", "RIFF", "RIFF\0\0\0\0WEB", "GIF89", "\x89PNG"})
        EXPECT_EQ(ImageFormatOf(content), TImageFormat::Unknown) << content;
    EXPECT_EQ(ImageFormatOf(Bytes("RIFF\0\0\0\0WEBP", 12)), TImageFormat::Webp);
}

TEST(PhotoAsJpeg, WebpDecodedWhereTheBuildReadsIt) {
    std::string refusal;
    const auto jpeg = PhotoAsJpeg(HalvesWebp, TImageFormat::Webp, 0, refusal);
    if (!webp::Available()) {
        EXPECT_FALSE(jpeg.has_value());
        EXPECT_EQ(refusal, "this build of the program does not read WebP pictures");
        return;
    }
    ASSERT_TRUE(jpeg.has_value()) << refusal;
    const auto decoded = DecodeImage(*jpeg, 1000, refusal);
    ASSERT_TRUE(decoded.has_value()) << refusal;
    EXPECT_EQ(decoded->Width, 24u);
    EXPECT_EQ(decoded->Height, 16u);
    EXPECT_TRUE(Near(decoded->At(2, 8), 0xFF0000));
    EXPECT_TRUE(Near(decoded->At(17, 8), 0x0000FF));
    EXPECT_TRUE(Near(decoded->At(22, 1), 0xFFFFFF));
    // A damaged WebP is refused.
    EXPECT_FALSE(PhotoAsJpeg(HalvesWebp.substr(0, 40), TImageFormat::Webp, 0, refusal).has_value());
    EXPECT_EQ(refusal.rfind("unreadable WebP file", 0), 0u) << refusal;
}

}  // namespace
}  // namespace kestro
