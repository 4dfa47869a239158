// The rules of texts in further languages on the point they fill.
#include <gtest/gtest.h>

#include <vector>

#include "gpx/GpxTranslations.h"
#include "xml/UKestroXML.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

TEST(Translations, ReadMovedAndCompletedPerLanguage) {
    XmlCodePage = 65001;
    auto document = CreateXmlDocument();
    document->LoadXML(
        "<wpt><extensions><kestro:name lang=\"en\">B@50</kestro:name><kestro:desc lang=\"EN\">D</kestro:desc>"
        "<kestro:cmt lang=\"RU\">first</kestro:cmt><kestro:city lang=\"FR\">other</kestro:city>"
        "<other:name lang=\"EN\">z</other:name><kestro:country>none</kestro:country></extensions></wpt>");
    TPoiWpt point;
    point.Name = "A";
    point.Description = "short";
    point.City = "C";
    std::vector<std::string> unused;
    ApplyTranslations(ReadTranslationElements(*document->GetDocumentElement()), {"RU", "EN"}, point,
                      [&](const std::string& code) { unused.push_back(code); });
    EXPECT_EQ(point.Language, "RU");
    ASSERT_EQ(point.Translations.size(), 1u);
    const TPoiTranslation& english = point.Translations[0];
    EXPECT_EQ(english.Language, "EN");
    EXPECT_EQ(english.Name, "B");  // the speed is the first language's alone
    EXPECT_EQ(english.Description, "D");
    EXPECT_EQ(unused, (std::vector<std::string>{"RU", "FR", ""}));

    // The first language's short description became its comment.
    point.Comment = std::move(point.Description);
    point.Description.clear();
    MoveDescriptionsToComments(point);
    EXPECT_EQ(english.Comment, "D");
    EXPECT_EQ(english.Description, "");

    TMissingTranslations missing;
    CompleteTranslations(point, missing);
    EXPECT_EQ(english.City, "C");
    EXPECT_EQ(english.Country, "");  // nothing to repeat
    EXPECT_EQ(MissingTranslationText(missing, "text", "texts"), "1 text without a translation into EN");
    missing["DE"] = 2;
    EXPECT_EQ(MissingTranslationText(missing, "name", "names"), "2 names without a translation into DE, 1 into EN");
}

}  // namespace
}  // namespace kestro
