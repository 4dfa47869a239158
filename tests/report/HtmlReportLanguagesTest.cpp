// The page of a file in many languages: texts per language only where they
// differ from the first language's, and the first languages only.
#include <gtest/gtest.h>

#include <sstream>

#include "gpi/GpiUtil.h"
#include "report/HtmlReport.h"
#include "report/ReportLanguages.h"
#include "support/GpiTestFiles.h"
#include "support/TestDocuments.h"

namespace kestro {
namespace {

test::TJson PageData(const std::string& page) {
    const std::string open = "<script type=\"application/json\" id=\"kestro-data\">";
    const std::size_t start = page.find(open);
    if (start == std::string::npos) throw std::runtime_error("no data element");
    return test::ParseJson(page.substr(start + open.size(), page.find("</script>", start) - start - open.size()));
}

// A group whose one point has a name in every code from AA to ZZ (676),
// spliced before a group of 20,000 points of one language.
Bytes ManyLanguagesFile(std::size_t codes) {
    TGpiText name;
    for (std::size_t i = 0; i < codes; ++i) {
        const Bytes code{static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26)};
        name.push_back({code, "Name in " + code});
    }
    test::TTestPoint point;
    point.Lat = 50;
    point.Lon = 14;
    point.Name = "One";
    const Bytes area = test::TestAreaTree({point}, 256);
    const Bytes lang = GpiLangString(name);
    // The point's name in every language: its record rebuilt with the long text.
    const Bytes pointRecord = test::TestPointRecord(point);
    const Bytes manyPoint = GpiRecord(2, pointRecord.substr(8, 11) + lang, Bytes());
    Bytes areaWithPoint = area.substr(0, area.size() - pointRecord.size()) + manyPoint;
    areaWithPoint.replace(4, 4, GpiDword(static_cast<std::uint32_t>(areaWithPoint.size() - 12)));
    areaWithPoint.replace(8, 4, GpiDword(static_cast<std::uint32_t>(areaWithPoint.size() - 12 - manyPoint.size())));
    const Bytes many = GpiRecord(9, lang + areaWithPoint, Bytes());
    test::TTestGroup plain;
    plain.Name = "Plain";
    plain.Points = test::SpreadPoints(20000, 48, 12, 51, 18, 7);
    return test::TestFrame(many + test::TestGroupRecord(plain));
}

TEST(HtmlReportLanguages, ManyLanguagesKeepThePageNearTheFileSize) {
    const Bytes file = ManyLanguagesFile(676);
    const TGpiFile parsed = ParseGpi(file);
    ASSERT_TRUE(parsed.Problems.empty()) << parsed.Problems.front().Text;
    std::ostringstream out;
    WriteHtmlReport(parsed, "many.gpi", out);
    const std::string page = out.str();
    EXPECT_LE(page.size(), 20 * file.size()) << page.size() << " bytes for a file of " << file.size();
    RecordProperty("PageBytes", static_cast<int>(page.size()));
    RecordProperty("FileBytes", static_cast<int>(file.size()));
    EXPECT_NE(page.find("The first 12 of the file's 676 languages"), std::string::npos);

    const test::TJson data = PageData(page);
    ASSERT_EQ(data["languages"].Size(), ShownLanguageLimit);
    EXPECT_EQ(data["languages"][11].Text, "AL");
    const test::TJson& plain = data["groups"][1]["languageTexts"];
    ASSERT_EQ(plain.Size(), ShownLanguageLimit);
    EXPECT_EQ(plain[0]["name"].Size(), 20000u);  // the first language holds every text
    EXPECT_EQ(plain[1]["name"].Size(), 0u);      // the others only what differs
    EXPECT_EQ(plain[1]["info"].Size(), 0u);
    const test::TJson& many = data["groups"][0]["languageTexts"];
    EXPECT_EQ(many[0]["name"][0].Text, "Name in AA");
    ASSERT_EQ(many[5]["name"].Keys, std::vector<std::string>{"0"});
    EXPECT_EQ(many[5]["name"][0].Text, "Name in AF");
    EXPECT_EQ(many[5]["groupName"].Text, "Name in AF");
}

// At the limit every language is offered, without the note; one more gets
// it. (The plain group adds "EN" to the codes from "AA" on.)
TEST(HtmlReportLanguages, TwelveLanguagesAreAllOffered) {
    for (const std::size_t codes : {ShownLanguageLimit - 1, ShownLanguageLimit}) {
        std::ostringstream out;
        WriteHtmlReport(ParseGpi(ManyLanguagesFile(codes)), "many.gpi", out);
        const test::TJson data = PageData(out.str());
        EXPECT_EQ(data["languages"].Size(), ShownLanguageLimit);
        EXPECT_EQ(out.str().find("languages; kestro-dump's outline lists") != std::string::npos, codes + 1 > ShownLanguageLimit);
    }
}

}  // namespace
}  // namespace kestro
