#include <gtest/gtest.h>


#include "diag/Exceptions.h"
#include "platform/TextConversion.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::ToHex;

TEST(TextConversion, EncodingNames) {
    struct Case { std::int32_t codePage; const char* name; };
    for (auto c : std::initializer_list<Case>{{874, "CP874"}, {1250, "CP1250"}, {1252, "CP1252"}, {1258, "CP1258"},
                                              {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"}, {28605, "ISO-8859-15"},
                                              {20866, "KOI8-R"}, {21866, "KOI8-U"}, {65001, "UTF-8"}, {437, "CP437"},
                                              {850, "CP850"}, {866, "CP866"}})
        EXPECT_EQ(CodePageEncodingName(c.codePage), c.name);
}

TEST(TextConversion, AvailableCodePages) {
    for (std::int32_t codePage : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 28591, 28592, 28605, 20866,
                                  21866, 65001, 437, 850, 852, 866})
        EXPECT_TRUE(CodePageAvailable(codePage)) << codePage;
    for (std::int32_t codePage : {0, -1, -1252, 1, 12345, 28602, 0x1004E4})
        EXPECT_FALSE(CodePageAvailable(codePage)) << codePage;
}

TEST(TextConversion, Utf8IntoCodePages) {
    struct Case { const char* utf8; std::int32_t codePage; const char* expected; };
    for (auto c : std::initializer_list<Case>{
             {"out.gpi", 1252, "out.gpi"},
             {"", 1252, ""},
             {"Caf\xC3\xA9", 1252, "Caf\xE9"},
             {"\xE2\x82\xAC", 1252, "\x80"},               // euro sign
             {"\xE2\x82\xAC", 28591, "?"},                 // ISO-8859-1 has no euro sign
             {"\xE6\x97\xA5\xE6\x9C\xAC.gpi", 1252, "??.gpi"},  // two CJK characters, one "?" each
             {"\xD0\x96", 1251, "\xC6"},
             {"\xC5\xBD", 1250, "\x8E"},
             {"\xD1\x91", 20866, "\xA3"},
             {"\xF0\x9F\x98\x80!", 1252, "?!"},            // a four-byte character
             {"\xFF" "ab", 1252, "?ab"},                   // not UTF-8
             {"ab\xC3", 1252, "ab?"},                      // cut off character
             {"Caf\xC3\xA9 \xE6\x97\xA5", 65001, "Caf\xC3\xA9 \xE6\x97\xA5"},
             {"\xFF", 65001, "\xFF"},
             {"\xC2\x81", 1252, "?"},                     // a C1 control the code page leaves undefined
             {"\xEF\xA3\xB9", 1253, "?"}}) {                // a private-use character, no Greek letter
        EXPECT_EQ(ToHex(Utf8ToCodePage(c.utf8, c.codePage)), ToHex(c.expected)) << c.utf8 << " " << c.codePage;
    }
}

// Bytes a code page leaves undefined become "?" on every system, also where
// the system's own tables pass them through as C1 controls or private-use characters.
TEST(TextConversion, CodePageIntoUtf8) {
    struct Case { const char* bytes; std::int32_t codePage; const char* expected; };
    for (auto c : std::initializer_list<Case>{{"Caf\xE9", 1252, "Caf\xC3\xA9"}, {"\x80", 1252, "\xE2\x82\xAC"},
                                              {"\xC6", 1251, "\xD0\x96"}, {"\xA3", 20866, "\xD1\x91"},
                                              {"a\x81" "b", 1252, "a?b"}, {"\x98", 1251, "?"},
                                              {"\xAA", 1253, "?"}, {"\xA5", 28593, "?"}})
        EXPECT_EQ(ToHex(CodePageToUtf8(c.bytes, c.codePage)), ToHex(c.expected)) << c.bytes << " " << c.codePage;
}

TEST(TextConversion, LongTextIsConvertedWhole) {
    std::string utf8;
    Bytes expected;
    for (int i = 0; i < 5000; ++i) {
        utf8 += "a\xC3\xA9\xE6\x97\xA5";
        expected += "a\xE9?";
    }
    EXPECT_EQ(Utf8ToCodePage(utf8, 1252), expected);
}

TEST(TextConversion, UnavailableCodePageIsAnError) {
    EXPECT_THROW(Utf8ToCodePage("abc", 12345), EConvertError);
    EXPECT_THROW(Utf8ToCodePage("abc", 0), EConvertError);
}

}  // namespace
}  // namespace kestro
