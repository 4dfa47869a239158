// The rules of texts in further languages, from what a reader found to the
// lists the encoder writes: one entry per further language in the run's
// order, the first language's text in the point's own field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpi/GpiUtil.h"
#include "gpi/PoiFields.h"
#include "gpi/PoiRecord.h"
#include "waypoints/Translations.h"

namespace kestro {
namespace {

// "EN:B FR:" for the entries of one place.
std::string Texts(const TPoiWpt& point, TLocalized place) {
    std::string out;
    for (const auto& entry : point.Translations[place]) out += (out.empty() ? "" : " ") + entry.Language + ":" + entry.Text;
    return out;
}

struct TApplied {
    TPoiWpt Point;
    std::vector<std::string> Unused;
};

TApplied Applied(TWaypointFields waypoint, const std::vector<std::string>& languages) {
    TApplied applied{std::move(waypoint.Point), {}};
    // Spare lists that held another point's texts lend nothing to this one.
    TPoiTranslations spare;
    spare[TLocalized::Name] = {{"EN", "stale"}, {"FR", "stale"}};
    spare[TLocalized::City] = {{"EN", "stale"}};
    ApplyTranslations(languages, waypoint.TranslationOrder, applied.Point, spare,
                      [&](const std::string& code) { applied.Unused.push_back(code); });
    return applied;
}

TEST(Translations, EntriesFollowTheRunsLanguagesWhateverTheOrderAndCaseFound) {
    TWaypointFields waypoint;
    waypoint.Point.Name = "Name";
    AddTranslation(waypoint, TLocalized::Name, "fr", "Nom");
    AddTranslation(waypoint, TLocalized::Name, "En", "Name-EN");
    const TApplied applied = Applied(waypoint, {"DE", "EN", "FR"});
    EXPECT_EQ(applied.Point.Language, "DE");
    // The codes as the settings write them.
    EXPECT_EQ(Texts(applied.Point, TLocalized::Name), "EN:Name-EN FR:Nom");
    EXPECT_TRUE(applied.Unused.empty());
}

TEST(Translations, TheFirstLanguagesTextsAreThePointsOwn) {
    TWaypointFields waypoint;
    waypoint.Point.Comment = "Offen";
    AddTranslation(waypoint, TLocalized::Comment, "de", "anders");
    AddTranslation(waypoint, TLocalized::Comment, "EN", "Open");
    const TApplied applied = Applied(waypoint, {"DE", "EN"});
    EXPECT_EQ(applied.Point.Comment, "Offen");
    EXPECT_EQ(Texts(applied.Point, TLocalized::Comment), "EN:Open");
    EXPECT_EQ(applied.Unused, std::vector<std::string>{"de"});
    // The name is written in every language, even when it has no text.
    EXPECT_EQ(Texts(applied.Point, TLocalized::Name), "EN:");
    EXPECT_EQ(Texts(applied.Point, TLocalized::City), "");
}

// Unused languages are told in the order the reader found the texts, not
// the order of the places; of two texts in one language the later counts.
TEST(Translations, UnusedInTheOrderFoundLaterTextOfALanguageCounts) {
    TWaypointFields waypoint;
    AddTranslation(waypoint, TLocalized::Comment, "YY", "y");
    AddTranslation(waypoint, TLocalized::Name, "ZZ", "z");
    AddTranslation(waypoint, TLocalized::Name, "EN", "first");
    AddTranslation(waypoint, TLocalized::Street, "XX", "x");
    AddTranslation(waypoint, TLocalized::Name, "en", "second");
    const TApplied applied = Applied(waypoint, {"DE", "EN"});
    EXPECT_EQ(applied.Unused, (std::vector<std::string>{"YY", "ZZ", "XX"}));
    EXPECT_EQ(Texts(applied.Point, TLocalized::Name), "EN:second");
    // Texts a reader did not list in its order follow, place by place.
    TPoiWpt direct;
    direct.Translations[TLocalized::Country] = {{"QQ", "q"}};
    direct.Translations[TLocalized::Name] = {{"RR", "r"}};
    std::vector<std::string> unused;
    TPoiTranslations spare;
    ApplyTranslations({"DE", "EN"}, {}, direct, spare, [&](const std::string& code) { unused.push_back(code); });
    EXPECT_EQ(unused, (std::vector<std::string>{"RR", "QQ"}));
}

TEST(Translations, FewerThanTwoLanguagesLeaveNoTranslation) {
    for (const auto& languages : {std::vector<std::string>{}, std::vector<std::string>{"FR"}}) {
        SCOPED_TRACE(languages.size());
        TWaypointFields waypoint;
        AddTranslation(waypoint, TLocalized::Name, "EN", "a");
        AddTranslation(waypoint, TLocalized::City, "DE", "b");
        const TApplied applied = Applied(waypoint, languages);
        EXPECT_EQ(applied.Point.Language, languages.empty() ? "EN" : "FR");
        EXPECT_EQ(applied.Unused, (std::vector<std::string>{"EN", "DE"}));
        for (const auto& texts : applied.Point.Translations) EXPECT_TRUE(texts.empty());
        TMissingTranslations missing;
        TPoiWpt point = applied.Point;
        CompleteTranslations(point, missing);
        EXPECT_TRUE(missing.empty());
    }
}

// A speed after "@" is read from the first language's name alone: a
// translated name loses its speed suffix, other texts keep theirs.
TEST(Translations, TranslatedNamesCutAtTheSpeed) {
    TWaypointFields waypoint;
    AddTranslation(waypoint, TLocalized::Name, "EN", "Bob@home@50");
    AddTranslation(waypoint, TLocalized::Name, "FR", "Shop@");
    AddTranslation(waypoint, TLocalized::Comment, "EN", "at@30");
    const TApplied applied = Applied(waypoint, {"DE", "EN", "FR"});
    EXPECT_EQ(Texts(applied.Point, TLocalized::Name), "EN:Bob@home FR:Shop@");
    EXPECT_EQ(Texts(applied.Point, TLocalized::Comment), "EN:at@30 FR:");
}

// What a language lacks repeats the first language's text and is counted
// under its code; a text the first language lacks is neither.
TEST(Translations, AMissingLanguageRepeatsTheFirstAndIsCounted) {
    TWaypointFields waypoint;
    waypoint.Point.Name = "Name";
    waypoint.Point.City = "Stadt";
    AddTranslation(waypoint, TLocalized::Name, "FR", "Nom");
    AddTranslation(waypoint, TLocalized::Country, "EN", "Germany");
    TApplied applied = Applied(waypoint, {"DE", "EN", "FR"});
    TMissingTranslations missing;
    CompleteTranslations(applied.Point, missing);
    EXPECT_EQ(Texts(applied.Point, TLocalized::Name), "EN:Name FR:Nom");
    EXPECT_EQ(Texts(applied.Point, TLocalized::City), "EN:Stadt FR:Stadt");
    EXPECT_EQ(Texts(applied.Point, TLocalized::Country), "EN:Germany FR:");
    EXPECT_EQ(Texts(applied.Point, TLocalized::Street), "");
    EXPECT_EQ(missing, (TMissingTranslations{{"EN", 2}, {"FR", 1}}));
    EXPECT_EQ(MissingTranslationText(missing, "text", "texts"), "2 texts without a translation into EN, 1 into FR");
    EXPECT_EQ(MissingTranslationText({{"DE", 1}}, "name", "names"), "1 name without a translation into DE");
}

// An address text given in one further language only: the record holds it
// with an empty entry for each other language, the first one's included.
TEST(Translations, AddressTextInOneLanguageOnlyIsWrittenInEvery) {
    TWaypointFields waypoint;
    waypoint.Point.Name = "A";
    AddTranslation(waypoint, TLocalized::Street, "EN", "S");
    TApplied applied = Applied(waypoint, {"DE", "EN", "FR"});
    TMissingTranslations missing;
    CompleteTranslations(applied.Point, missing);
    EXPECT_EQ(Texts(applied.Point, TLocalized::Street), "EN:S FR:");
    const Bytes record = GpiPoi(applied.Point);
    EXPECT_NE(record.find(GpiWord(0x10) + GpiLangString(TGpiText{{"DE", ""}, {"EN", "S"}, {"FR", ""}})), Bytes::npos);
    EXPECT_NE(record.find(GpiLangString(TGpiText{{"DE", "A"}, {"EN", "A"}, {"FR", "A"}})), Bytes::npos);
    // No comment in any language: no comment record.
    EXPECT_EQ(record.find(GpiLangString(TGpiText{{"DE", ""}, {"EN", ""}, {"FR", ""}})), Bytes::npos);
}

// A short description that became the comment takes each language's along,
// unless that language has a comment of its own.
TEST(Translations, DescriptionsMoveToCommentsPerLanguage) {
    TWaypointFields waypoint;
    AddTranslation(waypoint, TLocalized::Description, "EN", "short");
    AddTranslation(waypoint, TLocalized::Description, "FR", "court");
    AddTranslation(waypoint, TLocalized::Comment, "FR", "remarque");
    TApplied applied = Applied(waypoint, {"DE", "EN", "FR"});
    MoveDescriptionsToComments(applied.Point);
    EXPECT_EQ(Texts(applied.Point, TLocalized::Comment), "EN:short FR:remarque");
    EXPECT_EQ(Texts(applied.Point, TLocalized::Description), "EN: FR:court");
    // Only descriptions: the comments are made for them.
    TWaypointFields only;
    AddTranslation(only, TLocalized::Description, "EN", "short");
    TApplied moved = Applied(only, {"DE", "EN"});
    MoveDescriptionsToComments(moved.Point);
    EXPECT_EQ(Texts(moved.Point, TLocalized::Comment), "EN:short");
    EXPECT_EQ(Texts(moved.Point, TLocalized::Description), "EN:");
}

TEST(Translations, ElementNamesNameThePlaces) {
    EXPECT_EQ(LocalizedFieldNamed("cmt"), TLocalized::Comment);
    EXPECT_EQ(LocalizedFieldNamed("street"), TLocalized::Street);
    EXPECT_EQ(LocalizedFieldNamed("comment"), std::nullopt);
    EXPECT_EQ(LocalizedFieldNamed("phone"), std::nullopt);
    for (const auto& field : AddressFields)
        if (field.Translated) {
            EXPECT_EQ(LocalizedFields[static_cast<std::size_t>(*field.Translated)].First, field.Point);
        }
}

}  // namespace
}  // namespace kestro
