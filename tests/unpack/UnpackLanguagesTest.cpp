// The languages an unpacked folder sets, and what of a text the converter
// would not rebuild the same.
#include <gtest/gtest.h>

#include "unpack/UnpackLanguages.h"

namespace kestro {
namespace {

TGpiFile FileWithGroupNames(const std::vector<TGpiText>& names) {
    TGpiFile file;
    for (const auto& name : names) {
        file.Groups.emplace_back();
        file.Groups.back().Name = name;
    }
    return file;
}

TEST(UnpackLanguages, TheFileLanguagesComeFromItsWidestText) {
    struct Case { std::vector<TGpiText> names; std::vector<Bytes> languages; };
    for (const auto& c : std::initializer_list<Case>{
             {{{{"EN", "a"}}, {{"EN", "b"}}}, {}},                            // as kestro writes without the setting
             {{{{"RU", "a"}}}, {"RU"}},
             {{{{"EN", "a"}}, {{"ru", "b"}, {"EN", "c"}}}, {"ru", "EN"}},
             {{{{"RU", "a"}, {"EN", "b"}}, {{"DE", "c"}}}, {"RU", "EN", "DE"}},  // then codes in reading order
             {{{{Bytes("\0\0", 2), "a"}, {"EN", "b"}}}, {"EN"}}}) {          // a code of no letters cannot be set
        EXPECT_EQ(FileLanguages(FileWithGroupNames(c.names)), c.languages) << c.languages.size();
    }
}

TEST(UnpackLanguages, TextsByLanguageCountWhatWouldNotComeBack) {
    const std::vector<Bytes> languages{"RU", "EN"};
    struct Case { TGpiText text; std::vector<Bytes> texts; const char* loss; };
    for (const auto& c : std::initializer_list<Case>{
             {{{"RU", "a"}, {"EN", "b"}}, {"a", "b"}, nullptr},
             {{{"EN", "b"}, {"RU", "a"}}, {"a", "b"}, "texts whose languages come in another order"},
             {{{"RU", "a"}}, {"a", ""}, "texts missing in a language or empty there"},
             {{{"RU", "a"}, {"EN", ""}}, {"a", ""}, "texts missing in a language or empty there"},
             {{{"EN", "b"}}, {"", "b"}, "texts missing in the first language"},
             {{{"RU", "a"}, {"RU", "x"}, {"EN", "b"}}, {"a", "b"}, "texts given twice in one language"},
             {{{"RU", "a"}, {"DE", "x"}, {"EN", "b"}}, {"a", "b"}, "texts in a language that is no code of two letters"}}) {
        TUnpackTally tally;
        EXPECT_EQ(TextsByLanguage(c.text, languages, tally), c.texts) << c.texts[0] << c.texts[1];
        if (c.loss == nullptr) {
            EXPECT_TRUE(tally.Empty());
        } else {
            ASSERT_EQ(tally.Counts().size(), 1u) << c.loss;
            EXPECT_EQ(tally.Counts().begin()->first.rfind(c.loss, 0), 0u) << tally.Counts().begin()->first;
        }
    }
}

TEST(UnpackLanguages, SettingsHoldNamesQuotedWhereTheirSyntaxNeedsIt) {
    EXPECT_EQ(LanguageSettings({"RU", "EN"}, {{"Метро", {"Metro"}}, {"a=b", {"x"}}, {"Метро/Станции", {" y"}},
                                              {"G/Same", {"Same"}}, {"Same", {"Same "}}}),
              "languages=RU,EN\n\n[EN]\nМетро = Metro\n\"a=b\" = x\n");
    EXPECT_EQ(LanguageSettings({}, {}), "");
    for (const auto& [key, name] : std::initializer_list<std::pair<std::string, std::string>>{
             {"", "y"}, {"x", ""}, {"x", "y "}, {"x", " y"}, {"x", "a\nb"}, {"x", "a\rb"}, {"a\nb", "y"}})
        EXPECT_FALSE(SettingsCanHold(key, name)) << key << "=" << name;
    for (const auto& key : {"a b;c[d]", ";x", "[x]", " x", "x ", "a=b", "\"q\""}) EXPECT_TRUE(SettingsCanHold(key, "e = f"));
}

TEST(UnpackLanguages, CodesEqualButForLetterCaseAreListedOnce) {
    EXPECT_EQ(SettingsLanguages({"EN", "en", "RU", "eN", "ru", "DE"}), (std::vector<Bytes>{"EN", "RU", "DE"}));
    TUnpackTally tally;
    EXPECT_EQ(TextsByLanguage({{"EN", "a"}, {"en", "b"}}, {"EN"}, tally), std::vector<Bytes>{"a"});
    ASSERT_EQ(tally.Counts().size(), 1u);
    EXPECT_EQ(tally.Counts().begin()->first, "texts in a language code given before in another letter case");
}

}  // namespace
}  // namespace kestro
