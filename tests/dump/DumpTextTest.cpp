#include <gtest/gtest.h>

#include <sstream>

#include "dump/DumpFormat.h"
#include "dump/JsonWriter.h"
#include "gpi/TextDecoder.h"
#include "support/TestDocuments.h"

namespace kestro {

TEST(DumpText, CodePagesToOutline) {
    struct Case {
        std::uint16_t codePage;
        Bytes bytes;
        const char* outline;
    };
    for (const auto& c : std::initializer_list<Case>{
             {1252, "\x80 \x99", "\"\xE2\x82\xAC \xE2\x84\xA2\""},          // € ™
             {1250, "\x8A", "\"\xC5\xA0\""},                                 // Š
             {1251, "\xC0", "\"\xD0\x90\""},                                 // А
             {932, "\x82\xA0", "\"\xE3\x81\x82\""},                          // あ
             {65001, "\xC3\xA9", "\"\xC3\xA9\""},                            // é
             {65001, "\xC3(", "\"\\xC3(\""},                                 // a broken sequence
             {65001, "ab\xE2\x82", "\"ab\\xE2\\x82\""},                      // cut at the end
             {1252, "\x81", "\"\\x81\""},                                    // no character in cp1252
             {1, "a\xE9", "\"a\\xE9\""},                                     // code page iconv does not know
             {1252, Bytes("\x01\n\r\t\"\\\x7F\0", 8), "\"\\x01\\n\\r\\t\\\"\\\\\\x7F\\x00\""},
             {65001, "\xC2\x85", "\"\\u0085\""},                             // C1 control
         }) {
        TTextDecoder decoder(c.codePage);
        EXPECT_EQ(QuoteForOutline(decoder.Decode(c.bytes)), c.outline) << c.codePage << " " << c.bytes;
    }
    EXPECT_FALSE(TTextDecoder(1).Converts());
    EXPECT_TRUE(TTextDecoder(1252).Converts());
}

// The outline and the page show a speed alike: the whole km/h that was cut
// into the field, else two decimals; an alert without a speed "none". 249, 250 and 251 hundredths of m/s are
// 8.964, 9.000 and 9.036 km/h: a whole speed within 0.036 km/h only counts.
TEST(DumpText, SpeedsInKilometresPerHour) {
    struct Case { std::uint32_t hundredths; const char* text; };
    for (const auto& c : std::initializer_list<Case>{{0, "none"},          {249, "8.96 km/h"},  {250, "9 km/h"},
                                                     {251, "9.04 km/h"},   {138, "5 km/h"},     {1387, "49.93 km/h"},
                                                     {1388, "50 km/h"},    {1389, "50 km/h"},   {1390, "50.04 km/h"},
                                                     {1341, "48.28 km/h"}, {1944, "70 km/h"},   {65535, "2359.26 km/h"}})
        EXPECT_EQ(SpeedText(c.hundredths), c.text) << c.hundredths;
}

TEST(DumpText, JsonLayoutAndEscapes) {
    std::ostringstream out;
    TJsonWriter w(out);
    w.BeginObject();
    w.Key("a");
    w.Number(-1);
    w.Key("pair");
    w.BeginArray(true);
    w.Text("x");
    w.BeginArray();
    w.RawNumber("2.5000000");
    w.EndArray();
    w.EndArray();
    w.Key("empty");
    w.BeginArray();
    w.EndArray();
    w.Key("list");
    w.BeginArray();
    w.BeginObject(true);
    w.Key("k");
    w.Null();
    w.EndObject();
    w.EndArray();
    w.Key("text");
    TTextDecoder decoder(1252);
    w.String(decoder.Decode(Bytes("\x80\x81\x01\"\\\n", 6)));
    w.EndObject();
    w.Finish();
    EXPECT_EQ(out.str(),
              "{\n"
              "  \"a\": -1,\n"
              "  \"pair\": [\"x\", [2.5000000]],\n"
              "  \"empty\": [],\n"
              "  \"list\": [\n"
              "    {\"k\": null}\n"
              "  ],\n"
              "  \"text\": \"\xE2\x82\xAC\\uFFFD\\u0001\\\"\\\\\\n\"\n"
              "}\n");
    const test::TJson parsed = test::ParseJson(out.str());
    EXPECT_EQ(parsed["text"].Text, "\xE2\x82\xAC\xEF\xBF\xBD\x01\"\\\n");
    EXPECT_EQ(parsed.Keys, (std::vector<std::string>{"a", "pair", "empty", "list", "text"}));
}

}  // namespace kestro
