#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "diag/Exceptions.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"
#include "support/GpiReadBack.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

namespace {

struct TParsed {
    std::uint8_t AlertFlag = 0;
    std::vector<Bytes> Children;  // whole sub-records, envelope included
};

std::uint32_t ReadLe(const Bytes& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// A point record read back by the program's reader, which notes every
// length in the envelopes that does not add up.
TParsed Parse(const Bytes& record) {
    TParsed parsed;
    const test::TReadBack read = test::ReadPointRecord(record);
    if (read.File.Groups.empty() || !read.File.Groups[0].Root || read.File.Groups[0].Root->Points.size() != 1) {
        ADD_FAILURE() << "no point read back from " << ToHex(record.substr(0, 12));
        return parsed;
    }
    const TGpiPoint& point = read.File.Groups[0].Root->Points[0];
    EXPECT_EQ(test::RecordAt(read.Content, point.Offset), record);
    parsed.AlertFlag = point.AlertFlag;
    for (const auto& part : point.Parts) {
        parsed.Children.push_back(test::RecordAt(read.Content, PartOffset(part)));
        EXPECT_EQ(ReadLe(parsed.Children.back(), 2, 2), 0u) << "sub-records carry no extra part";
    }
    return parsed;
}

std::vector<int> TypesOf(const std::vector<Bytes>& records) {
    std::vector<int> types;
    for (const Bytes& record : records) types.push_back(static_cast<int>(ReadLe(record, 0, 2)));
    return types;
}

TPoiWpt PointA() {
    TPoiWpt point;
    point.Lat = 50.0;
    point.Lon = 14.0;
    point.Name.push_back('A');  // not = "A": GCC 12 warns falsely (-Wrestrict) on that form
    return point;
}

}  // namespace

TEST(GpiPoi, WorkedExample) {
    TPoiWpt point = PointA();
    point.Category = 0;
    EXPECT_EQ(ToHex(GpiPoi(point)), ToHex(Hex("02 00 08 00 1E 00 00 00 14 00 00 00"
                                              "E3 38 8E 23 49 9F F4 09 01 00 00 05 00 00 00 45 4E 01 00 41"
                                              "06 00 00 00 02 00 00 00 00 00")));
}

TEST(GpiPoi, TranslationsAddAnEntryToEveryLocalizedText) {
    TPoiWpt point = PointA();
    point.Language = "DE";
    point.Translations[TLocalized::Name] = {{"EN", "B"}};
    point.Translations[TLocalized::Street] = {{"EN", "S"}};
    point.PostalCode = "1";
    // The name in both languages; an address whose street exists only in
    // English is written, the postal code stays without a language.
    EXPECT_EQ(ToHex(GpiPoi(point)), ToHex(Hex("02 00 08 00 33 00 00 00 19 00 00 00"
                                              "E3 38 8E 23 49 9F F4 09 01 00 00 0A 00 00 00 44 45 01 00 41 45 4E 01 00 42"
                                              "0B 00 00 00 12 00 00 00 18 00 01 00 31"
                                              "09 00 00 00 44 45 00 00 45 4E 01 00 53")));
    // An empty name is written in every language.
    TPoiWpt unnamed;
    unnamed.Language = "DE";
    unnamed.Translations[TLocalized::Name] = {{"EN", ""}};
    EXPECT_EQ(ToHex(GpiPoi(unnamed)), ToHex(Hex("02 00 00 00 17 00 00 00"
                                                "00 00 00 00 00 00 00 00 01 00 00 08 00 00 00 44 45 00 00 45 4E 00 00")));
}

// A text in a further language keeps to the bound of a single entry:
// 65531 bytes are written whole, one more is cut there.
TEST(GpiPoi, TranslatedTextAtTheLengthBound) {
    for (const std::size_t length : {std::size_t{65531}, std::size_t{65532}}) {
        SCOPED_TRACE(length);
        TPoiWpt point;
        point.Language = "DE";
        point.Translations[TLocalized::Name] = {{"EN", Bytes(length, 'e')}};
        const Bytes record = GpiPoi(point);
        // Short header, 11 bytes of position, word and flag, the total, the
        // empty German entry, the English one.
        const std::size_t englishAt = 8 + 11 + 4 + 4;
        ASSERT_EQ(record.size(), englishAt + 4 + 65531);
        EXPECT_EQ(ToHex(record.substr(8 + 11, 12)), ToHex(Hex("03 00 01 00 44 45 00 00 45 4E FB FF")));
    }
}

TEST(GpiPoi, EmptyNameWithoutSubRecordsHasNoExtraPart) {
    TPoiWpt point;  // every field absent
    EXPECT_EQ(ToHex(GpiPoi(point)), ToHex(Hex("02 00 00 00 13 00 00 00"
                                              "00 00 00 00 00 00 00 00 01 00 00 04 00 00 00 45 4E 00 00")));
    point.Lat = 50.0;
    point.Lon = -14.0;
    EXPECT_EQ(ToHex(GpiPoi(point)), ToHex(Hex("02 00 00 00 13 00 00 00"
                                              "E3 38 8E 23 B7 60 0B F6 01 00 00 04 00 00 00 45 4E 00 00")));
}

TEST(GpiPoi, AlertRecords) {
    struct Case { std::int32_t speed, distance; const char* alertMain; bool clamped = false; };
    for (auto c : std::initializer_list<Case>{
             {50, -1, "F4 01 6C 05 00 01 10 00 01 01 05 10"},     // 500 m, 1388
             {0, -1, "00 00 00 00 00 01 10 00 01 01 05 10"},      // speed 0 is still a speed alert
             {-1, 400, "90 01 00 00 00 01 10 00 01 01 04 10"},    // proximity only
             {40, -1, "8F 01 57 04 00 01 10 00 01 01 05 10"},     // 399 m, 1111
             {40, 250, "FA 00 57 04 00 01 10 00 01 01 05 10"},    // a given distance wins
             {70, -1, "BB 02 98 07 00 01 10 00 01 01 05 10"},     // 699 m, 1944
             {80, -1, "1F 03 AE 08 00 01 10 00 01 01 05 10"},     // 799 m, 2222
             {90, -1, "84 03 C4 09 00 01 10 00 01 01 05 10"},     // 900 m, 2500
             {-1, 0, "00 00 00 00 00 01 10 00 01 01 04 10"},
             // values beyond a 16-bit field store its largest value, never their low bits
             {-1, 65535, "FF FF 00 00 00 01 10 00 01 01 04 10"},
             {-1, 65536, "FF FF 00 00 00 01 10 00 01 01 04 10", true},
             {-1, 70000, "FF FF 00 00 00 01 10 00 01 01 04 10", true},   // not 4464
             {2359, -1, "26 5C F7 FF 00 01 10 00 01 01 05 10"},         // 23590 m, 65527: the fastest that fits
             {2360, -1, "2F 5C FF FF 00 01 10 00 01 01 05 10", true},   // 65555 does not fit
             {2400, 300, "2C 01 FF FF 00 01 10 00 01 01 05 10", true},  // not 40.68 km/h
             {6553, -1, "FA FF FF FF 00 01 10 00 01 01 05 10", true},   // 65530 m still fits
             {6554, -1, "FF FF FF FF 00 01 10 00 01 01 05 10", true},   // 65540 m does not
             {2147483647, -1, "FF FF FF FF 00 01 10 00 01 01 05 10", true},
         }) {
        TPoiWpt point = PointA();
        point.AlertSpeed = c.speed;
        point.AlertDistance = c.distance;
        EXPECT_EQ(AlertClamped(point), c.clamped) << "speed " << c.speed << " distance " << c.distance;
        const TParsed record = Parse(GpiPoi(point));
        EXPECT_EQ(record.AlertFlag, 1) << "alert flag byte, speed " << c.speed;
        ASSERT_EQ(record.Children.size(), 1u);
        EXPECT_EQ(ToHex(record.Children[0]), ToHex(Hex("03 00 00 00 0C 00 00 00") + Hex(c.alertMain)))
            << "speed " << c.speed << " distance " << c.distance;
    }
}

TEST(GpiPoi, NoAlertWhenBothValuesAreNegative) {
    TPoiWpt point = PointA();
    point.AlertSpeed = -7;
    point.AlertDistance = -1;
    const TParsed record = Parse(GpiPoi(point));
    EXPECT_EQ(record.AlertFlag, 0);
    EXPECT_TRUE(record.Children.empty());
    EXPECT_FALSE(HasAlert(point));
}

TEST(GpiPoi, AddressAndContactFlags) {
    struct Case { TPoiWpt point; const char* expected; };
    auto with = [](auto setter) { TPoiWpt point = PointA(); setter(point); return point; };
    for (const auto& c : std::initializer_list<Case>{
             {with([](TPoiWpt& p) { p.PostalCode = "110 00"; }),
              "0B 00 00 00 0A 00 00 00 08 00 06 00 31 31 30 20 30 30"},
             {with([](TPoiWpt& p) { p.City = "C"; p.Country = "K"; p.State = "S"; p.PostalCode = "P"; p.Street = "T"; }),
              "0B 00 00 00 29 00 00 00 1F 00"
              "05 00 00 00 45 4E 01 00 43  05 00 00 00 45 4E 01 00 4B  05 00 00 00 45 4E 01 00 53"
              "01 00 50  05 00 00 00 45 4E 01 00 54"},
             {with([](TPoiWpt& p) { p.Street = "T"; p.Country = "K"; }),
              "0B 00 00 00 14 00 00 00 12 00 05 00 00 00 45 4E 01 00 4B 05 00 00 00 45 4E 01 00 54"},
             {with([](TPoiWpt& p) { p.Phone = "1"; p.Phone2 = "2"; p.Fax = "3"; p.Email = "e"; p.Url = "u"; }),
              "0C 00 00 00 11 00 00 00 1F 00 01 00 31 01 00 32 01 00 33 01 00 65 01 00 75"},
             {with([](TPoiWpt& p) { p.Phone2 = "2"; p.Url = "u"; }),
              "0C 00 00 00 08 00 00 00 12 00 01 00 32 01 00 75"},
         }) {
        const TParsed record = Parse(GpiPoi(c.point));
        ASSERT_EQ(record.Children.size(), 1u);
        EXPECT_EQ(ToHex(record.Children[0]), ToHex(Hex(c.expected)));
    }
}

TEST(GpiPoi, CommentAndDescriptionRecords) {
    TPoiWpt point = PointA();
    point.Comment = "ab";
    point.Description = "<b>";
    const TParsed record = Parse(GpiPoi(point));
    ASSERT_EQ(record.Children.size(), 2u);
    EXPECT_EQ(ToHex(record.Children[0]), ToHex(Hex("0A 00 00 00 0A 00 00 00 06 00 00 00 45 4E 02 00 61 62")));
    // the description's localized string always follows the byte 01
    EXPECT_EQ(ToHex(record.Children[1]), ToHex(Hex("0E 00 00 00 0C 00 00 00 01 07 00 00 00 45 4E 03 00 3C 62 3E")));
}

TEST(GpiPoi, SubRecordsComeInFixedOrder) {
    TempDir folder;
    WriteFile(folder / "a.jpg", "JPG");
    TPoiWpt point = PointA();
    point.Description = "d";
    point.Images = (folder / "a.jpg").string();
    point.Phone = "1";
    point.Street = "s";
    point.Comment = "c";
    point.AlertDistance = 100;
    point.Bitmap = 3;
    point.Category = 2;
    const TParsed record = Parse(GpiPoi(point));
    EXPECT_EQ(TypesOf(record.Children), (std::vector<int>{6, 4, 3, 10, 11, 12, 13, 14}));
    EXPECT_EQ(ToHex(record.Children[0]), ToHex(Hex("06 00 00 00 02 00 00 00 02 00")));
    EXPECT_EQ(ToHex(record.Children[1]), ToHex(Hex("04 00 00 00 02 00 00 00 03 00")));
}

TEST(GpiPoi, ImageRecordsHoldWholeFiles) {
    TempDir folder;
    const Bytes first = Hex("FF D8 00 FF D9");
    const Bytes second;
    Bytes third(70000, '\0');
    for (std::size_t i = 0; i < third.size(); ++i) third[i] = static_cast<char>(i * 7);
    WriteFile(folder / "one.jpg", first);
    WriteFile(folder / "two.jpg", second);
    WriteFile(folder / "thr ee.jpg", third);
    TPoiWpt point = PointA();
    point.Images = (folder / "one.jpg").string() + "\r\n" + (folder / "two.jpg").string() + "\r\n" +
                   (folder / "thr ee.jpg").string();
    const TParsed record = Parse(GpiPoi(point));
    ASSERT_EQ(TypesOf(record.Children), (std::vector<int>{13, 13, 13}));
    const Bytes contents[] = {first, second, third};
    for (std::size_t i = 0; i < 3; ++i) {
        const Bytes main = record.Children[i].substr(8);
        EXPECT_EQ(main[0], static_cast<char>(i));
        EXPECT_EQ(ReadLe(main, 1, 4), contents[i].size());
        EXPECT_TRUE(main.substr(5) == contents[i]) << "image " << i;
    }

    // a closing line break ends the last line; it does not name another file
    point.Images = (folder / "one.jpg").string() + "\r\n";
    EXPECT_EQ(TypesOf(Parse(GpiPoi(point)).Children), (std::vector<int>{13}));
}

// Position byte, 32-bit length and image must fit the record's 32-bit
// length: one byte more is refused before the file is read (a sparse file
// takes no disk space).
TEST(GpiPoi, ImageOverItsRecordLimitIsRefusedUnread) {
    TempDir folder;
    const std::string huge = (folder / "huge.jpg").string();
    WriteFile(huge, "");
    std::filesystem::resize_file(huge, 0xFFFFFFFFull - 5 + 1);
    TPoiWpt point = PointA();
    point.Images = huge;
    try {
        GpiPoi(point);
        FAIL() << "no error for an image over its record's limit";
    } catch (const EFormatLimit& error) {
        EXPECT_STREQ(error.what(), ("Image \"" + huge + "\" has 4294967291 bytes; an image record holds at most "
                                    "4294967290").c_str());
    }
}

TEST(GpiPoi, UnreadableImageRaisesNamingTheFile) {
    TempDir folder;
    TPoiWpt point = PointA();
    const std::string missing = (folder / "missing.jpg").string();
    point.Images = missing;
    try {
        GpiPoi(point);
        FAIL() << "no error for a missing image";
    } catch (const EFOpenError& error) {
        EXPECT_STREQ(error.what(), ("Cannot open file \"" + missing + "\". No such file or directory").c_str());
    }

    point.Images = folder.Path().string();
    try {
        GpiPoi(point);
        FAIL() << "no error for a folder given as image";
    } catch (const EFOpenError& error) {
        EXPECT_STREQ(error.what(), ("Cannot open file \"" + folder.Path().string() + "\". Is a directory").c_str());
    }

    // reading a FIFO would wait for a writer that never comes
    const std::string fifo = (folder / "pipe.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    point.Images = fifo;
    try {
        GpiPoi(point);
        FAIL() << "no error for a FIFO given as image";
    } catch (const EFOpenError& error) {
        EXPECT_STREQ(error.what(), ("Cannot open file \"" + fifo + "\". Not a regular file").c_str());
    }
}

}  // namespace kestro
