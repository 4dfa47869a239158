// A GPX waypoint's texts in further languages, as the reader hands them on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpi/PoiFields.h"
#include "gpx/GpxTranslations.h"
#include "xml/UKestroXML.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

// "EN:B" for every text of every place, in the places' order.
std::vector<std::string> Found(const TPoiWpt& point) {
    std::vector<std::string> texts;
    for (const auto& field : LocalizedFields)
        for (const auto& entry : point.Translations[field.Place])
            texts.push_back(std::string(field.ElementName) + " " + entry.Language + ":" + entry.Text);
    return texts;
}

TEST(GpxTranslations, ElementsOfOurNamespaceInDocumentOrderFirstOfEachLanguageCounts) {
    XmlCodePage = 65001;
    auto document = CreateXmlDocument();
    document->LoadXML(
        "<wpt><extensions><kestro:cmt lang=\"YY\">y</kestro:cmt><kestro:name lang=\"en\">B@50</kestro:name>"
        "<kestro:desc lang=\"EN\">D</kestro:desc><kestro:name lang=\"EN\">second</kestro:name>"
        "<kestro:city lang=\"FR\">other</kestro:city><other:name lang=\"EN\">z</other:name>"
        "<kestro:phone lang=\"EN\">1</kestro:phone><kestro:country>none</kestro:country></extensions></wpt>");
    TWaypointFields waypoint;
    ReadTranslationElements(*document->GetDocumentElement(), waypoint);
    // As written: the speed is cut by the rules, not the reader; a phone has no language.
    EXPECT_EQ(Found(waypoint.Point),
              (std::vector<std::string>{"name en:B@50", "cmt YY:y", "desc EN:D", "city FR:other", "country :none"}));
    EXPECT_EQ(waypoint.TranslationOrder,
              (std::vector<TLocalized>{TLocalized::Comment, TLocalized::Name, TLocalized::Description, TLocalized::City,
                                       TLocalized::Country}));
}

TEST(GpxTranslations, NoExtensionsNoTexts) {
    auto document = CreateXmlDocument();
    document->LoadXML("<wpt><name>A</name></wpt>");
    TWaypointFields waypoint;
    ReadTranslationElements(*document->GetDocumentElement(), waypoint);
    EXPECT_TRUE(Found(waypoint.Point).empty());
    EXPECT_TRUE(waypoint.TranslationOrder.empty());
}

}  // namespace
}  // namespace kestro
