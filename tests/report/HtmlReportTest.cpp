#include <gtest/gtest.h>

#include <sstream>

#include "gpi/GpiUtil.h"
#include "gpi/TextDecoder.h"
#include "platform/Base64.h"
#include "report/HtmlImages.h"
#include "report/HtmlReport.h"
#include "report/HtmlText.h"
#include "support/GpiTestFiles.h"
#include "support/TestDocuments.h"
#include "support/TestSupport.h"

namespace kestro {

namespace {

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The JSON the page's script reads.
test::TJson ReportData(const std::string& page) {
    const std::string open = "<script type=\"application/json\" id=\"kestro-data\">";
    const std::size_t start = page.find(open);
    if (start == std::string::npos) throw std::runtime_error("no data element");
    const std::size_t end = page.find("</script>", start);
    return test::ParseJson(page.substr(start + open.size(), end - start - open.size()));
}

}  // namespace

// Whatever a file's texts hold, the markup shows them as text and the
// script's JSON gives them back unchanged, without a way out of its element.
TEST(HtmlReport, HostileTextsStayText) {
    struct Case {
        std::uint16_t codePage;
        Bytes bytes;
        const char* printable;
        const char* html;
    };
    for (const auto& c : std::initializer_list<Case>{
             {1252, "<script>alert('x')</script>", "<script>alert('x')</script>",
              "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
             {1252, "<img src=x onerror=\"a&b\">", "<img src=x onerror=\"a&b\">",
              "&lt;img src=x onerror=&quot;a&amp;b&quot;&gt;"},
             {1252, Bytes("\x01x\x7F\x81\r\n\t\0", 8), "\\x01x\\x7F\\x81\n\t\\x00", "\\x01x\\x7F\\x81\n\t\\x00"},
             {1250, "\x8A\xE1 \x80", "\xC5\xA0\xC3\xA1 \xE2\x82\xAC", "\xC5\xA0\xC3\xA1 \xE2\x82\xAC"},  // Šá €
             {65001, "\xE2\x80\xA8|\xC2\x85|\xC3(", "\xE2\x80\xA8|\\u0085|\\xC3(", "\xE2\x80\xA8|\\u0085|\\xC3("},
             {65001, "</SCRIPT><!--", "</SCRIPT><!--", "&lt;/SCRIPT&gt;&lt;!--"},
         }) {
        const std::u32string decoded = TTextDecoder(c.codePage).Decode(c.bytes);
        EXPECT_EQ(PrintableText(decoded), c.printable) << c.bytes;
        EXPECT_EQ(HtmlText(decoded), c.html) << c.bytes;
        const std::string json = ScriptText(decoded);
        EXPECT_EQ(json.find_first_of("<>&"), std::string::npos) << json;
        EXPECT_EQ(json.find("\xE2\x80\xA8"), std::string::npos) << json;
        EXPECT_EQ(test::ParseJson(json).Text, c.printable) << json;
    }
}

TEST(HtmlReport, WholeReportShowsFieldsAndNoForeignMarkup) {
    const Bytes hostile = "</script><script>alert(\"\x81\")</script>";
    test::TTestGroup group;
    group.Name = "<b>" + hostile;
    group.Categories = {"cat<'>"};
    group.Bitmaps = {test::TTestBitmap{4, 4, 16}};
    test::TTestPoint point;
    point.Lat = 50.5;
    point.Lon = -4.25;
    point.Name = hostile;
    point.Category = 0;
    point.Bitmap = 0;
    point.AlertSpeed = 50;
    point.AlertDistance = 400;
    point.Comment = "line 1\r\nline 2 &amp;";
    point.City = "Br\x9Eno";
    point.Images = {"\xFF\xD8\xFF\xE0", "not a picture"};
    group.Points = {point};
    const Bytes content = test::TestGpiFile({group});
    std::ostringstream out;
    WriteHtmlReport(ParseGpi(content), "a&b.gpi", out);
    const std::string page = out.str();

    // Only the page's own two script elements; the hostile texts appear escaped.
    EXPECT_EQ(Occurrences(page, "<script"), 2u);
    EXPECT_EQ(Occurrences(page, "</script"), 2u);
    EXPECT_NE(page.find("<h1>a&amp;b.gpi</h1>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;&lt;/script&gt;&lt;script&gt;alert(&quot;\\x81&quot;)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("cat&lt;&#39;&gt; <b>1</b>"), std::string::npos);
    EXPECT_NE(page.find("class=\"check clean\""), std::string::npos);

    const test::TJson data = ReportData(page);
    const test::TJson& g = data["groups"][0];
    EXPECT_EQ(g["name"][0].Text, "</script><script>alert(\"\\x81\")</script>");
    EXPECT_EQ(g["categories"][0].Text, "cat<'>");
    EXPECT_EQ(g["category"][0].Text, "0");
    EXPECT_EQ(g["lat"][0].Text, "50.500000");
    EXPECT_EQ(g["lon"][0].Text, "-4.250000");
    EXPECT_EQ(g["alert"][0].Text, "50 km/h, 400 m");
    const test::TJson& info = g["info"][0];
    EXPECT_EQ(info["comment"].Text, "line 1\nline 2 &amp;");
    EXPECT_EQ(info["address"].Text, "City: Br\xC5\xBEno");
    EXPECT_EQ(info["alert"].Text, "speed 50 km/h, distance 400 m, kind 5 (speed)");
    EXPECT_EQ(info["photoNotes"].Text, "Photo 1: 13 bytes, not a picture a browser shows");
    ASSERT_EQ(info["photos"].Size(), 2u);
    EXPECT_EQ(g["photos"][0].Text, "data:image/jpeg;base64,/9j/4A==");
    EXPECT_EQ(info["photos"][1].Text, "-1");
    EXPECT_EQ(g["icons"][0].Text.rfind("data:image/bmp;base64,Qk", 0), 0u);
}

// A 2 x 2 bitmap: palette 0 is the colour key, 1 a colour, 2 white; rows top first.
TEST(HtmlReport, IconBecomesBmpWithTransparentKey) {
    const Bytes pixels = test::Hex("00 01 00 00  02 00 00 00");  // stride 4
    const Bytes palette = test::Hex("FF 00 FF 00  10 20 30 00  FF FF FF 00");
    auto bitmap = [&](const char* number, const char* height) {
        return GpiRecord(5, test::Hex(std::string(number) + " 00" + height + " 00 02 00 04 00 08 00 00 00  08 00 00 00  2C 00 00 00"
                                      "00 01 00 00  FF 00 FF 00  01 00 00 00  34 00 00 00") +
                                pixels + palette);
    };
    // The second claims 6 rows: 22 bytes from the first pixel, where its record holds 20.
    const Bytes content = test::TestFrame(GpiRecord(9, GpiLangString("G"), bitmap("00", "02") + bitmap("01", "06")));
    const TGpiFile file = ParseGpi(content);
    ASSERT_EQ(file.Groups.at(0).Bitmaps.size(), 2u);
    EXPECT_FALSE(BitmapAsBmp(file.Groups[0].Bitmaps[1]));
    const auto bmp = BitmapAsBmp(file.Groups[0].Bitmaps[0]);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(test::ToHex(bmp->substr(0, 30)),
              test::ToHex(test::Hex("42 4D  8A 00 00 00  00 00 00 00  7A 00 00 00  6C 00 00 00  02 00 00 00  FE FF FF FF"
                                    "01 00  20 00")));
    // Blue, green, red, alpha per pixel.
    EXPECT_EQ(test::ToHex(bmp->substr(122)),
              test::ToHex(test::Hex("00 00 00 00  30 20 10 FF  FF FF FF FF  00 00 00 00")));

    for (const auto& [text, code] : std::initializer_list<std::pair<const char*, const char*>>{
             {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}})
        EXPECT_EQ(EncodeBase64(text), code);
}

}  // namespace kestro
