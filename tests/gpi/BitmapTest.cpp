#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "diag/Exceptions.h"
#include "gpi/Bitmap.h"
#include "gpi/GpiUtil.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

namespace {

// A BMP file written field by field.
struct TBmp {
    Bytes Signature = "BM";
    std::uint32_t Width = 4;
    std::uint32_t Height = 2;
    std::uint32_t InfoSize = 40;
    std::uint16_t BitsPerPixel = 8;
    std::uint32_t Compression = 0;
    std::uint32_t ColoursUsed = 0;
    std::uint32_t PixelOffset = 0;  // 0: right after the palette
    Bytes Palette;                  // as stored: blue, green, red, reserved
    Bytes Pixels;                   // as stored: bottom row first

    Bytes Build() const {
        const std::uint32_t offset = PixelOffset != 0 ? PixelOffset : static_cast<std::uint32_t>(54 + Palette.size());
        Bytes file = Signature + GpiDword(static_cast<std::uint32_t>(offset + Pixels.size())) + GpiDword(0) +
                     GpiDword(offset) + GpiDword(InfoSize) + GpiDword(Width) + GpiDword(Height) + GpiWord(1) +
                     GpiWord(BitsPerPixel) + GpiDword(Compression) + GpiDword(static_cast<std::uint32_t>(Pixels.size())) +
                     GpiDword(2835) + GpiDword(2835) + GpiDword(ColoursUsed) + GpiDword(0);
        file += Palette;
        if (file.size() < offset && offset < (1u << 20)) file.resize(offset, '\0');  // far offsets point past the end
        return file + Pixels;
    }
};

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 37 + seed) % 251);
    return bytes;
}

class BitmapFiles : public ::testing::Test {
protected:
    Bytes Convert(const Bytes& file, std::uint16_t number = 0) {
        const auto path = folder_ / ("icon" + std::to_string(++count_) + ".bmp");
        WriteFile(path, file);
        return GpiBitmap(path, number);
    }
    Bytes Convert(const TBmp& bmp, std::uint16_t number = 0) { return Convert(bmp.Build(), number); }

    TempDir folder_;
    int count_ = 0;
};

std::uint32_t Field(const Bytes& main, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(main.at(at + i));
    return value;
}

}  // namespace

TEST_F(BitmapFiles, TwentyByTwentyWithFullPalette) {
    TBmp bmp;
    bmp.Width = bmp.Height = 20;
    bmp.ColoursUsed = 256;
    bmp.Palette = Pattern(1024, 3);
    bmp.Pixels = Pattern(400, 9);
    const Bytes main = Convert(bmp, 7);
    ASSERT_EQ(main.size(), 1460u);
    EXPECT_EQ(ToHex(main.substr(0, 36)), ToHex(Hex("07 00 14 00 14 00 14 00 08 00 00 00 90 01 00 00 2C 00 00 00"
                                                    "00 01 00 00 FF 00 FF 00 01 00 00 00 BC 01 00 00")));
    const Bytes record = GpiRecord(5, main);
    ASSERT_EQ(record.size(), 1468u);
    // the header's offsets count from the record's first byte
    EXPECT_TRUE(record.substr(44, 20) == bmp.Pixels.substr(380, 20)) << "top row first";
    EXPECT_TRUE(record.substr(424, 20) == bmp.Pixels.substr(0, 20)) << "bottom row last";
    EXPECT_EQ(ToHex(record.substr(444, 8)), ToHex(Bytes{bmp.Palette[2], bmp.Palette[1], bmp.Palette[0], '\0',
                                                        bmp.Palette[6], bmp.Palette[5], bmp.Palette[4], '\0'}));
}

// Up to 48 × 48 the rows are copied as stored; larger ones are scaled down to fit.
TEST_F(BitmapFiles, SizeLimits) {
    struct Case { std::uint32_t width, height; bool accepted; bool copied; std::uint32_t fitWidth, fitHeight; };
    for (auto c : std::initializer_list<Case>{{48, 48, true, true, 48, 48}, {49, 48, true, false, 48, 47},
                                              {48, 49, true, false, 47, 48}, {1, 1, true, true, 1, 1},
                                              {48, 0xFFFFFFFE, true, false, 48, 2},  // top-down, height -2: converted
                                              {0xFFFFFFFF, 2, false, false, 0, 0}}) {
        TBmp bmp;
        bmp.Width = c.width;
        bmp.Height = c.height;
        bmp.ColoursUsed = 2;
        bmp.Palette = Pattern(8, 1);
        const std::uint32_t rows = std::min(c.height, 0u - c.height);  // a top-down height is negative
        if (c.accepted) bmp.Pixels = c.copied ? Pattern(((c.width + 3) & ~3u) * c.height, 2) : Bytes(52 * rows, '\1');
        const Bytes main = Convert(bmp);
        EXPECT_EQ(!main.empty(), c.accepted) << c.width << " x " << c.height;
        if (c.copied) {
            EXPECT_EQ(main.size(), 36 + bmp.Pixels.size() + 8);
        }
        if (c.accepted) {
            EXPECT_EQ(ToHex(main.substr(2, 4)), ToHex(GpiWord(static_cast<std::uint16_t>(c.fitHeight)) +
                                                      GpiWord(static_cast<std::uint16_t>(c.fitWidth))));
        }
    }
}

TEST_F(BitmapFiles, OtherKindsAreRefused) {
    auto with = [](auto change) { TBmp bmp; bmp.Pixels = Pattern(8, 0); change(bmp); return bmp.Build(); };
    struct Case { const char* what; Bytes file; };
    // Other depths are converted (tests/images); these cannot be read at all.
    for (const auto& c : std::initializer_list<Case>{
             {"4 bits without a palette", with([](TBmp& b) { b.BitsPerPixel = 4; })},
             {"RLE8", with([](TBmp& b) { b.Compression = 1; })},
             {"bit fields", with([](TBmp& b) { b.Compression = 3; })},
             {"no BM", with([](TBmp& b) { b.Signature = "MB"; })},
             {"empty file", Bytes()},
             {"one byte", Bytes("B")},
             {"signature only", Bytes("BM")},
         }) {
        EXPECT_EQ(Convert(c.file), Bytes()) << c.what;
    }
    EXPECT_EQ(GpiBitmap(folder_ / "missing.bmp", 0), Bytes());
    EXPECT_EQ(GpiBitmap(folder_.Path(), 0), Bytes()) << "a folder is no icon";
    const auto fifo = folder_ / "pipe.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(GpiBitmap(fifo, 0), Bytes()) << "nor is a FIFO";
}

TEST_F(BitmapFiles, RowsKeepTheirPaddingAndComeTopRowFirst) {
    TBmp bmp;
    bmp.Width = 13;
    bmp.Height = 3;
    bmp.ColoursUsed = 1;
    bmp.Palette = Hex("01 02 03 04");
    const Bytes rowA = Bytes(13, 'A') + Hex("E1 E2 E3"), rowB = Bytes(13, 'B') + Hex("F1 F2 F3"),
                rowC = Bytes(13, 'C') + Hex("00 7F 80");
    bmp.Pixels = rowA + rowB + rowC;
    const Bytes main = Convert(bmp);
    ASSERT_EQ(main.size(), 36u + 48u + 4u);
    EXPECT_EQ(Field(main, 2, 2), 3u);   // height
    EXPECT_EQ(Field(main, 4, 2), 13u);  // width
    EXPECT_EQ(Field(main, 6, 2), 16u);  // stride
    EXPECT_EQ(Field(main, 12, 4), 48u);
    EXPECT_EQ(Field(main, 32, 4), 48u + 44u);
    EXPECT_EQ(ToHex(main.substr(36)), ToHex(rowC + rowB + rowA + Hex("03 02 01 00")));
}

TEST_F(BitmapFiles, TwoRowsAreSwapped) {
    TBmp bmp;
    bmp.Width = 4;
    bmp.Height = 2;
    bmp.Pixels = "AAAABBBB";
    bmp.PixelOffset = 54;  // no palette
    EXPECT_EQ(Convert(bmp).substr(36), "BBBBAAAA");
}

TEST_F(BitmapFiles, PaletteEntriesBecomeRedGreenBlueZero) {
    TBmp bmp;
    bmp.Width = 4;
    bmp.Height = 1;
    bmp.ColoursUsed = 2;
    bmp.Palette = Hex("10 20 30 00  10 20 30 FF");
    bmp.Pixels = Hex("00 01 01 00");
    EXPECT_EQ(ToHex(Convert(bmp).substr(40)), "30 20 10 00 30 20 10 00");
}

TEST_F(BitmapFiles, PaletteSizeFollowsColoursUsedOrPixelOffset) {
    // The header's palette-size field names the entries actually written.
    struct Case { std::uint32_t coloursUsed, pixelOffset, entries; };
    for (auto c : std::initializer_list<Case>{{0, 1078, 256}, {0, 118, 16}, {0, 54, 0}, {0, 57, 0},
                                              {0, 58, 1}, {0, 10, 0}, {0, 0x80000000, 0},
                                              {256, 1078, 256}, {3, 118, 3}, {257, 1082, 0}, {0xFFFFFFFF, 118, 0}}) {
        TBmp bmp;
        bmp.Width = 4;
        bmp.Height = 2;
        bmp.ColoursUsed = c.coloursUsed;
        bmp.PixelOffset = c.pixelOffset;
        bmp.Palette = Pattern(c.pixelOffset >= 54 && c.pixelOffset < 2000 ? c.pixelOffset - 54 : 0, 5);
        bmp.Pixels = "lowrhigh";
        const Bytes main = Convert(bmp);
        ASSERT_EQ(main.size(), 36u + 8u + 4u * c.entries) << c.coloursUsed << " / " << c.pixelOffset;
        EXPECT_EQ(Field(main, 20, 4), c.entries);
        EXPECT_EQ(Field(main, 32, 4), 8u + 44u) << "the palette offset stays";
        if (c.pixelOffset >= 54 && c.pixelOffset < 2000) {
            EXPECT_EQ(main.substr(36, 8), "highlowr");
        }
        if (c.pixelOffset == 0x80000000) {
            EXPECT_EQ(main.substr(36, 8), Bytes(8, '\0')) << "rows past the end";
        }
        if (c.entries > 0) {
            const Bytes& stored = bmp.Palette;
            const std::size_t last = 4 * (c.entries - 1);
            EXPECT_EQ(main.substr(main.size() - 4), (Bytes{stored[last + 2], stored[last + 1], stored[last], '\0'}));
        }
    }
}

TEST_F(BitmapFiles, LargerInfoHeaderStillHasItsPaletteReadFromByte54) {
    TBmp bmp;
    bmp.InfoSize = 124;
    bmp.Width = 4;
    bmp.Height = 1;
    bmp.ColoursUsed = 2;
    bmp.Palette = Hex("01 02 03 00 04 05 06 00") + Bytes(76, 'x');  // the rest of a 124-byte header
    bmp.PixelOffset = 200;
    bmp.Pixels = "pix!";
    EXPECT_EQ(ToHex(Convert(bmp)), ToHex(Hex("00 00 01 00 04 00 04 00 08 00 00 00 04 00 00 00 2C 00 00 00"
                                             "02 00 00 00 FF 00 FF 00 01 00 00 00 30 00 00 00") +
                                         "pix!" + Hex("03 02 01 00 06 05 04 00")));
}

TEST_F(BitmapFiles, TruncatedFilesReadAsZeros) {
    TBmp bmp;
    bmp.Width = 4;
    bmp.Height = 3;
    bmp.ColoursUsed = 256;
    bmp.Palette = Pattern(1024, 1);
    bmp.Pixels = "bottmiddltopp";
    const Bytes whole = Convert(bmp);
    ASSERT_EQ(whole.size(), 36u + 12u + 1024u);

    const Bytes file = bmp.Build();
    // rows cut in the middle row: the missing top row and bytes are zeros
    const Bytes shortRows = Convert(file.substr(0, 1078 + 6));
    ASSERT_EQ(shortRows.size(), whole.size());
    EXPECT_EQ(shortRows.substr(0, 36), whole.substr(0, 36));
    EXPECT_EQ(shortRows.substr(36, 12), Bytes(4, '\0') + Bytes("mi", 2) + Bytes(2, '\0') + "bott");
    EXPECT_EQ(shortRows.substr(48), whole.substr(48));

    // palette cut after ten entries: the other entries are black
    const Bytes shortPalette = Convert(file.substr(0, 54 + 40));
    ASSERT_EQ(shortPalette.size(), whole.size());
    EXPECT_EQ(shortPalette.substr(36, 12), Bytes(12, '\0'));
    EXPECT_EQ(shortPalette.substr(48, 40), whole.substr(48, 40));
    EXPECT_EQ(shortPalette.substr(88), Bytes(1024 - 40, '\0'));

    // header cut after the compression field: colours used counts as 0 and comes from the pixel offset
    const Bytes shortHeader = Convert(file.substr(0, 34));
    ASSERT_EQ(shortHeader.size(), whole.size());
    EXPECT_EQ(shortHeader.substr(0, 36), whole.substr(0, 36));
    EXPECT_EQ(shortHeader.substr(36), Bytes(12 + 1024, '\0'));

    // cut before the bits-per-pixel field: refused
    EXPECT_EQ(Convert(file.substr(0, 28)), Bytes());
}

TEST_F(BitmapFiles, RandomHeadersGiveConsistentRecords) {
    std::mt19937 random(20240531);
    int accepted = 0;
    for (int round = 0; round < 500; ++round) {
        TBmp bmp;
        bmp.Width = random() % 60;
        bmp.Height = random() % 4 == 0 ? static_cast<std::uint32_t>(random()) : random() % 60;
        bmp.BitsPerPixel = random() % 3 == 0 ? static_cast<std::uint16_t>(random()) : 8;
        bmp.Compression = random() % 5 == 0 ? static_cast<std::uint32_t>(random()) : 0;
        bmp.ColoursUsed = random() % 2 == 0 ? 0 : static_cast<std::uint32_t>(random() % 2 ? random() % 300 : random());
        bmp.PixelOffset = random() % 2 == 0 ? static_cast<std::uint32_t>(random() % 1200) : static_cast<std::uint32_t>(random());
        bmp.Palette = Pattern(random() % 1100, round);
        bmp.Pixels = Pattern(random() % 3000, round + 1);
        const Bytes file = bmp.Build();
        const Bytes main = Convert(file.substr(0, random() % 2 == 0 ? file.size() : random() % (file.size() + 1)));
        if (main.empty()) continue;
        ++accepted;
        ASSERT_GE(main.size(), 36u);
        const std::uint32_t height = Field(main, 2, 2), stride = Field(main, 6, 2), pixelSize = Field(main, 12, 4);
        EXPECT_LE(height, 48u);
        EXPECT_LE(Field(main, 4, 2), 48u);
        EXPECT_EQ(stride % 4, 0u);
        EXPECT_EQ(pixelSize, stride * height);
        EXPECT_LE(Field(main, 20, 4), 256u);
        EXPECT_EQ(main.size(), 36 + pixelSize + 4 * Field(main, 20, 4));
        EXPECT_EQ(Field(main, 32, 4), pixelSize + 44);
    }
    EXPECT_GT(accepted, 50);
}

TEST_F(BitmapFiles, PathThatCannotBeOpenedRaises) {
    const auto loop = folder_ / "loop.bmp";
    std::filesystem::create_symlink(folder_ / "other.bmp", loop);
    std::filesystem::create_symlink(loop, folder_ / "other.bmp");
    try {
        GpiBitmap(loop, 0);
        FAIL() << "no error for a path that cannot be opened";
    } catch (const EFOpenError& error) {
        EXPECT_STREQ(error.what(), ("Cannot open file \"" + loop.string() + "\". Too many levels of symbolic links").c_str());
    }
}

TEST_F(BitmapFiles, UnreadableFileRaises) {
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
    const auto path = folder_ / "locked.bmp";
    TBmp bmp;
    bmp.Pixels = "12345678";
    WriteFile(path, bmp.Build());
    std::filesystem::permissions(path, std::filesystem::perms::none);
    try {
        GpiBitmap(path, 0);
        FAIL() << "no error for a file that cannot be opened";
    } catch (const EFOpenError& error) {
        EXPECT_STREQ(error.what(), ("Cannot open file \"" + path.string() + "\". Permission denied").c_str());
    }
}

}  // namespace kestro
