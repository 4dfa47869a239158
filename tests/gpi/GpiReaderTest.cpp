#include <gtest/gtest.h>

#include "diag/Exceptions.h"
#include "gpi/GpiReader.h"
#include "gpi/GpiUtil.h"
#include "platform/PathName.h"
#include "support/GpiTestFiles.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;

namespace {

// A file with one group whose root area holds the given point records.
Bytes FileWithPoints(const Bytes& pointRecords, const Bytes& groupExtra = Bytes()) {
    const Bytes area = GpiRecord(8, test::TestAreaMain(40, 0, 60, 20) + '\0', pointRecords);
    return test::TestFrame(GpiRecord(9, GpiLangString("G") + area, groupExtra));
}

const TGpiPoint& OnlyPoint(const TGpiFile& file) {
    EXPECT_EQ(file.Groups.size(), 1u);
    EXPECT_TRUE(file.Groups.at(0).Root.has_value());
    EXPECT_EQ(file.Groups.at(0).Root->Points.size(), 1u);
    return file.Groups.at(0).Root->Points.at(0);
}

bool HasProblem(const TGpiFile& file, std::size_t offset, const std::string& phrase) {
    for (const auto& p : file.Problems)
        if (p.Offset == offset && p.Text.find(phrase) != std::string::npos) return true;
    return false;
}

test::TTestPoint MakePoint(double lat, double lon, const Bytes& name) {
    test::TTestPoint p;
    p.Lat = lat;
    p.Lon = lon;
    p.Name = name;
    return p;
}

std::string Problems(const TGpiFile& file) {
    std::string out;
    for (const auto& p : file.Problems) out += std::to_string(p.Offset) + ": " + p.Text + "\n";
    return out;
}

}  // namespace

TEST(GpiReader, WorkedExamplePointRecord) {
    // Lat 50.0, Lon 14.0, name "A", category 0.
    const Bytes record = Hex("02 00 08 00 1E 00 00 00 14 00 00 00 E3 38 8E 23 49 9F F4 09 01 00 00 05 00 00 00 45 4E 01 00 41"
                             "06 00 00 00 02 00 00 00 00 00");
    const TGpiFile file = ParseGpi(FileWithPoints(record, test::TestCategoryRecord(0, "C")));
    const TGpiPoint& p = OnlyPoint(file);
    EXPECT_EQ(p.Lat, 596523235);
    EXPECT_EQ(p.Lon, 167026505);
    EXPECT_EQ(p.Word, 1);
    EXPECT_EQ(p.AlertFlag, 0);
    ASSERT_EQ(p.Name.size(), 1u);
    EXPECT_EQ(p.Name[0].Language, "EN");
    EXPECT_EQ(p.Name[0].Text, "A");
    ASSERT_EQ(p.Parts.size(), 1u);
    EXPECT_EQ(std::get<TGpiCategoryRef>(p.Parts[0]).Number, 0);
    EXPECT_EQ(p.Alert(), nullptr);
    EXPECT_TRUE(file.Problems.empty()) << Problems(file);
    EXPECT_NEAR(SemicirclesToDeg(p.Lat), 50.0, 1e-7);
}

TEST(GpiReader, SubRecordsOfAPoint) {
    const Bytes alert = Hex("03 00 00 00 0C 00 00 00 F4 01 6C 05 00 01 10 00 01 01 05 10");
    const Bytes address = GpiRecord(11, GpiWord(0x08) + GpiString("08523"));
    const Bytes contact = GpiRecord(12, GpiWord(0x19) + GpiString("+49 1") + GpiString("a@b.de") + GpiString("www.b.de"));
    const Bytes images = GpiRecord(13, Hex("00") + GpiDword(3) + "abc") + GpiRecord(13, Hex("01") + GpiDword(0));
    const Bytes description = GpiRecord(14, "\x01" + GpiLangString("long text"));
    const Bytes main = GpiDword(0) + GpiDword(0) + GpiWord(1) + "\x01" + GpiLangString("");
    const Bytes point = GpiRecord(2, main, GpiRecord(4, GpiWord(7)) + alert + GpiRecord(10, GpiLangString("note")) + address +
                                               contact + images + description);
    const TGpiFile file = ParseGpi(FileWithPoints(point));
    EXPECT_TRUE(file.Problems.empty()) << Problems(file);
    const TGpiPoint& p = OnlyPoint(file);
    ASSERT_EQ(p.Parts.size(), 8u);
    EXPECT_EQ(std::get<TGpiBitmapRef>(p.Parts[0]).Number, 7);
    const TGpiAlert& a = std::get<TGpiAlert>(p.Parts[1]);
    EXPECT_EQ(a.Distance, 500);
    EXPECT_EQ(a.Speed, 1388);
    EXPECT_EQ(a.Kind, 5);
    EXPECT_EQ(a.Last, 0x10);
    EXPECT_EQ(a.Fixed, Hex("00 01 10 00 01 01"));
    EXPECT_EQ(p.Alert(), &a);
    EXPECT_EQ(std::get<TGpiComment>(p.Parts[2]).Text.at(0).Text, "note");
    // A postal code alone: flag 8 and a plain string without language tag.
    const TGpiAddress& ad = std::get<TGpiAddress>(p.Parts[3]);
    EXPECT_EQ(ad.Mask, 8);
    EXPECT_EQ(ad.PostalCode, Bytes("08523"));
    EXPECT_FALSE(ad.City.has_value());
    const TGpiContact& c = std::get<TGpiContact>(p.Parts[4]);
    EXPECT_EQ(c.Phone, Bytes("+49 1"));
    EXPECT_EQ(c.Email, Bytes("a@b.de"));
    EXPECT_EQ(c.Url, Bytes("www.b.de"));
    EXPECT_FALSE(c.Fax.has_value());
    EXPECT_EQ(std::get<TGpiImage>(p.Parts[5]).Size, 3u);
    EXPECT_EQ(std::get<TGpiImage>(p.Parts[6]).Index, 1);
    EXPECT_EQ(std::get<TGpiDescription>(p.Parts[7]).Kind, 1);
    EXPECT_EQ(std::get<TGpiDescription>(p.Parts[7]).Text.at(0).Text, "long text");
    EXPECT_EQ(PartOffset(p.Parts[1]), p.Offset + 12 + main.size() + 10);
}

TEST(GpiReader, RecordsOfOtherWriters) {
    // Two-language texts, an address split over main and extra part, the
    // house number field (0x20), a description of kind 5, flag bytes of 2.
    auto twoLanguages = [](const Bytes& ru, const Bytes& en) {
        const Bytes entries = "RU" + GpiString(ru) + "EN" + GpiString(en);
        return GpiDword(static_cast<std::uint32_t>(entries.size())) + entries;
    };
    const Bytes address = GpiRecord(11, GpiWord(0x39), GpiLangString("Town") + GpiString("12345") + GpiLangString("Street") + GpiString("1"));
    const Bytes point = GpiRecord(2, GpiDword(0) + GpiDword(0) + GpiWord(1) + "\x02" + twoLanguages("\xD0\x9C", "M"),
                                  address + GpiRecord(14, "\x05" + twoLanguages("x", "y")));
    const Bytes media = GpiRecord(18, GpiWord(1) + Hex("00"), GpiDword(2 + 4 + 3 + 2 + 4 + 1) + "RU" + GpiDword(3) + "abc" + "EN" + GpiDword(1) + "d");
    const Bytes category = GpiRecord(7, GpiWord(0) + twoLanguages("k", "c"), GpiRecord(4, GpiWord(1)));
    Bytes file = GpiRecord(0, "GRMREC01" + GpiDword(9) + GpiWord(3) + GpiString("f"), GpiRecord(15, Hex("00 A4 05 20 00")));
    const Bytes copyright = GpiDword(4) + GpiDword(0) + twoLanguages("src", "source") + GpiLangString("(c)") + Hex("02 0F E2 07");
    file += GpiRecord(1, Bytes("POI\0\0\0", 6) + "01" + GpiWord(65001) + GpiWord(0x11), GpiRecord(17, copyright));
    file += GpiRecord(9, twoLanguages("g", "group") + GpiRecord(8, test::TestAreaMain(-1, -1, 1, 1) + "\x02", point), category + media);
    file += GpiRecord(0xFFFF, "");
    const TGpiFile parsed = ParseGpi(file);
    EXPECT_TRUE(parsed.Problems.empty()) << Problems(parsed);

    EXPECT_EQ(parsed.Header.Signature, "GRMREC01");
    EXPECT_EQ(parsed.Header.Reserved, 3);
    ASSERT_EQ(parsed.Header.Records.size(), 1u);
    EXPECT_EQ(parsed.Header.Records[0].Type, 15);
    EXPECT_EQ(parsed.Header.Records[0].MainSize, 5u);
    ASSERT_TRUE(parsed.PoiHeader.has_value());
    EXPECT_EQ(parsed.CodePage(), 65001);
    EXPECT_EQ(parsed.PoiHeader->Flags, 0x11);
    ASSERT_TRUE(parsed.PoiHeader->Copyright.has_value());
    const TGpiCopyright& c = *parsed.PoiHeader->Copyright;
    EXPECT_EQ(c.Value0, 4u);
    ASSERT_EQ(c.Texts.size(), 2u);
    EXPECT_EQ(c.Texts[0].size(), 2u);
    EXPECT_EQ(c.Texts[0][1].Text, "source");
    EXPECT_EQ(c.Texts[1][0].Text, "(c)");
    EXPECT_EQ(c.Trailing, Hex("02 0F E2 07"));

    const TGpiGroup& g = parsed.Groups.at(0);
    ASSERT_EQ(g.Name.size(), 2u);
    EXPECT_EQ(g.Name[0].Language, "RU");
    EXPECT_EQ(g.Name[1].Text, "group");
    ASSERT_EQ(g.Categories.size(), 1u);
    ASSERT_TRUE(g.Categories[0].Bitmap.has_value());
    EXPECT_EQ(g.Categories[0].Bitmap->Number, 1);
    ASSERT_EQ(g.Media.size(), 1u);
    EXPECT_EQ(g.Media[0].Number, 1);
    ASSERT_EQ(g.Media[0].Entries.size(), 2u);
    EXPECT_EQ(g.Media[0].Entries[0].Size, 3u);
    EXPECT_EQ(g.Media[0].Entries[1].Language, "EN");

    const TGpiPoint& p = OnlyPoint(parsed);
    EXPECT_EQ(p.AlertFlag, 2);
    EXPECT_EQ(p.Name[0].Text, "\xD0\x9C");
    const TGpiAddress& a = std::get<TGpiAddress>(p.Parts.at(0));
    EXPECT_EQ(a.City->at(0).Text, "Town");
    EXPECT_EQ(a.PostalCode, Bytes("12345"));
    EXPECT_EQ(a.Street->at(0).Text, "Street");
    EXPECT_EQ(a.HouseNumber, Bytes("1"));
    EXPECT_EQ(std::get<TGpiDescription>(p.Parts.at(1)).Kind, 5);
}

TEST(GpiReader, UnknownRecordsAreKeptByTypeAndSize) {
    const Bytes point = GpiRecord(2, GpiDword(0) + GpiDword(0) + GpiWord(1) + Hex("00") + GpiLangString("p"),
                                  GpiRecord(99, "xyz"));
    const Bytes area = GpiRecord(8, test::TestAreaMain(-1, -1, 1, 1) + '\0', point + GpiRecord(0x1234, "12", "3456"));
    const TGpiFile file = ParseGpi(test::TestFrame(GpiRecord(9, GpiLangString("G") + area, GpiRecord(77, "")) + GpiRecord(55, "q")));
    EXPECT_TRUE(file.Problems.empty()) << Problems(file);
    const TGpiArea& root = *file.Groups.at(0).Root;
    ASSERT_EQ(root.Records.size(), 1u);
    EXPECT_EQ(root.Records[0].Type, 0x1234);
    EXPECT_EQ(root.Records[0].MainSize, 2u);
    EXPECT_EQ(root.Records[0].ExtraSize, 4u);
    EXPECT_EQ(root.Records[0].Preview, "12");
    EXPECT_EQ(std::get<TGpiOther>(OnlyPoint(file).Parts.at(0)).Type, 99);
    EXPECT_EQ(file.Groups[0].Records.at(0).Type, 77);
    EXPECT_EQ(file.Records.at(0).Type, 55);
    EXPECT_TRUE(file.End.has_value());
}

TEST(GpiReader, DamageIsNotedWithItsOffset) {
    struct Case {
        const char* what;
        Bytes file;
        std::size_t offset;
        const char* phrase;
    };
    const Bytes good = FileWithPoints(test::TestPointRecord(MakePoint(50, 10, "N")));
    const std::size_t pointAt = good.find(test::TestPointRecord(MakePoint(50, 10, "N")));
    const std::size_t nameAt = pointAt + 8 + 11;
    Bytes longName = good;
    longName[nameAt] = '\x40';  // the name's total length now runs past the point's main part
    const Bytes strayName = GpiDword(7) + "EN" + GpiWord(1) + "N" + "xx";
    const Bytes strayPoint = GpiRecord(2, GpiDword(0) + GpiDword(0) + GpiWord(1) + Hex("00") + strayName);
    const Bytes strayEntry = FileWithPoints(strayPoint);
    const std::size_t strayAt = strayEntry.find(strayName) + 9;
    const std::vector<Case> cases = {
        {"truncated head", good.substr(0, good.size() - 3), good.size() - 8, "incomplete record head: 5 bytes"},
        {"name length overrun", longName, nameAt, "point record: name: localized text of 64 bytes overruns the record"},
        {"stray bytes in a text", strayEntry, strayAt, "2 stray bytes at the end of a localized text"},
        {"after the end", good + "xyz", good.size(), "3 bytes after the end record"},
        {"unknown flags", test::TestFrame(GpiRecord(9, GpiLangString("G")).replace(2, 2, GpiWord(0x10))), 54, "unknown flags 0x0010"},
    };
    for (const auto& c : cases) {
        const TGpiFile file = ParseGpi(c.file);
        EXPECT_TRUE(HasProblem(file, c.offset, c.phrase)) << c.what << "\n" << Problems(file);
    }
}

TEST(GpiReader, HostileNestingStaysBounded) {
    Bytes area = GpiRecord(8, test::TestAreaMain(0, 0, 1, 1) + '\0', "");
    for (int i = 0; i < 100; ++i) area = GpiRecord(8, test::TestAreaMain(0, 0, 1, 1) + '\0', area);
    const TGpiFile file = ParseGpi(test::TestFrame(GpiRecord(9, GpiLangString("G") + area)));
    bool noted = false;
    for (const auto& p : file.Problems) noted = noted || p.Text.find("nest deeper than 64") != std::string::npos;
    EXPECT_TRUE(noted) << Problems(file);
}

TEST(GpiReader, FilesThatCannotBeRead) {
    EXPECT_THROW(ParseGpi(""), EReadError);
    EXPECT_THROW(ParseGpi("GRMREC00 but no record head"), EReadError);
    EXPECT_THROW(ParseGpi(Hex("00 00 00 00 16 00 00 00 47 52 4D")), EReadError);
    EXPECT_THROW(ParseGpi(Hex("01 00 00 00 16 00 00 00") + "GRMREC00"), EReadError);
    test::TempDir dir;
    EXPECT_THROW(ReadGpiFile(Utf8FromPath(dir / "missing.gpi")), EFOpenError);
    EXPECT_THROW(ReadGpiFile(Utf8FromPath(dir.Path())), EFOpenError);
    // The smallest readable file: a header record cut short is damage, not unreadable.
    const TGpiFile cut = ParseGpi(Hex("00 00 00 00 16 00 00 00") + "GRMREC");
    EXPECT_FALSE(cut.Problems.empty());
    EXPECT_FALSE(cut.End.has_value());
}

}  // namespace kestro
