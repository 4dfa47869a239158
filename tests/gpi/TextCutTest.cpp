#include <gtest/gtest.h>

#include "xml/XmlCodePage.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;
using test::ToHex;

namespace {

// Sets the output code page for one test and restores it afterwards.
class TCodePageScope {
public:
    explicit TCodePageScope(std::int32_t codePage) : saved_(XmlCodePage) { XmlCodePage = static_cast<std::uint16_t>(codePage); }
    ~TCodePageScope() { XmlCodePage = saved_; }

private:
    std::uint16_t saved_;
};

std::size_t LengthField(const Bytes& encoded, std::size_t at) {
    return static_cast<unsigned char>(encoded.at(at)) | static_cast<std::size_t>(static_cast<unsigned char>(encoded.at(at + 1))) << 8;
}

}  // namespace

TEST(TextCut, TextsThatFitAreUnchanged) {
    const Bytes longest(65535, 'x');
    EXPECT_EQ(GpiString(longest), Hex("FF FF") + longest);
    const Bytes longestLocalized(65531, 'y');
    EXPECT_EQ(GpiLangString(longestLocalized), Hex("FF FF 00 00 45 4E FB FF") + longestLocalized);
}

TEST(TextCut, LongerTextsAreCutToTheLengthField) {
    TCodePageScope codePage(1252);
    for (std::size_t size : {65536u, 65537u, 131072u, 200000u}) {
        Bytes text(size, 'a');
        text[65534] = 'L';  // the last byte kept
        text[65535] = 'X';  // the first byte dropped
        const Bytes plain = GpiString(text);
        EXPECT_EQ(plain.size(), 2u + 65535u);
        EXPECT_EQ(LengthField(plain, 0), 65535u);
        EXPECT_EQ(plain.back(), 'L');

        const Bytes localized = GpiLangString(text);
        EXPECT_EQ(localized.size(), 8u + 65531u);
        EXPECT_EQ(ToHex(localized.substr(0, 8)), "FF FF 00 00 45 4E FB FF");
        EXPECT_EQ(localized.back(), 'a');
    }
}

TEST(TextCut, Utf8IsCutAtACharacterBoundary) {
    struct Case { const char* character; std::size_t bytesBeforeLimit; std::size_t keptLength; };
    // The character starts `bytesBeforeLimit` bytes before the limit of 65535.
    for (auto c : std::initializer_list<Case>{
             {"\xC3\xA9", 1, 65534},              // é split after its first byte
             {"\xC3\xA9", 2, 65535},              // é ends exactly at the limit
             {"\xE2\x82\xAC", 1, 65534},          // € split after one byte
             {"\xE2\x82\xAC", 2, 65533},          // € split after two bytes
             {"\xE2\x82\xAC", 3, 65535},
             {"\xF0\x9D\x84\x9E", 1, 65534},      // 4-byte character, split after 1, 2, 3 bytes
             {"\xF0\x9D\x84\x9E", 2, 65533},
             {"\xF0\x9D\x84\x9E", 3, 65532},
             {"\xF0\x9D\x84\x9E", 4, 65535},
             {"\x80\x80\x80\x80\x80\x80", 3, 65535},  // no UTF-8: cut where the limit falls
             {"\xC3\xA9", 50, 65535},             // the character lies well inside
         }) {
        TCodePageScope codePage(65001);
        Bytes text(65535 - c.bytesBeforeLimit, 'a');
        text += c.character;
        text += Bytes(100, 'b');
        const Bytes plain = GpiString(text);
        EXPECT_EQ(LengthField(plain, 0), c.keptLength) << ToHex(c.character) << " at -" << c.bytesBeforeLimit;
        EXPECT_TRUE(plain.substr(2) == text.substr(0, c.keptLength));

        // the localized string's limit is 4 bytes lower; shifting the text keeps the same split
        const Bytes localized = GpiLangString(text.substr(4));
        EXPECT_EQ(LengthField(localized, 6), c.keptLength - 4);
        EXPECT_EQ(LengthField(localized, 0), c.keptLength);
    }
}

TEST(TextCut, SingleByteCodePagesCutAtTheLimit) {
    TCodePageScope codePage(1250);
    Bytes text(65534, 'a');
    text += "\xC3\xA9";  // two letters in an 8-bit code page
    EXPECT_EQ(LengthField(GpiString(text), 0), 65535u);
}

TEST(TextCut, PointRecordWithHugeTextsStaysWellFormed) {
    TCodePageScope codePage(65001);
    TPoiWpt point;
    point.Name = Bytes(70000, 'n');
    point.Phone = Bytes(70000, 'p');
    point.Description = Bytes(100000, 'd');
    const Bytes record = GpiPoi(point);
    // main: 8 coordinate bytes, 01 00, alert flag, localized name cut to 65531
    const std::size_t mainLength = 11 + 8 + 65531;
    const std::size_t contact = 8 + 2 + 2 + 65535;
    const std::size_t description = 8 + 1 + 8 + 65531;
    ASSERT_EQ(record.size(), 12 + mainLength + contact + description);
    EXPECT_EQ(ToHex(record.substr(0, 12)),
              ToHex(Hex("02 00 08 00") + GpiDword(static_cast<std::uint32_t>(mainLength + contact + description)) +
                    GpiDword(static_cast<std::uint32_t>(mainLength))));
    const std::size_t contactAt = 12 + mainLength;
    EXPECT_EQ(ToHex(record.substr(contactAt, 12)),
              ToHex(Hex("0C 00 00 00") + GpiDword(contact - 8) + Hex("01 00 FF FF")));
    EXPECT_EQ(ToHex(record.substr(contactAt + contact, 17)),
              ToHex(Hex("0E 00 00 00") + GpiDword(description - 8) + Hex("01 FF FF 00 00 45 4E FB FF")));
}

}  // namespace kestro
