// Texts in several languages end to end: the settings, the waypoints'
// extension elements, GPSBabel reading each language back, the notes on
// missing translations, and the partner's two-language file through unpack.
#include <algorithm>
#include <map>
#include <tuple>

#include "ConversionSupport.h"
#include "diag/Exceptions.h"

namespace kestro::conversion_test {
namespace {

bool HaveGpsbabel() { return RunCommand("gpsbabel -V").ExitCode == 0; }

// A source folder whose texts are "Name-XX" and so on in the first language
// XX, translated into every further code but for one point.
fs::path LanguageFolder(const fs::path& root, const std::vector<std::string>& codes, const std::string& translatedNames) {
    std::string list, translations;
    for (const auto& code : codes) list += (list.empty() ? "" : ",") + code;
    for (std::size_t i = 1; i < codes.size(); ++i) {
        const std::string c = codes[i];
        translations += "<kestro:name lang=\"" + c + "\">Name-" + c + "@50</kestro:name><kestro:cmt lang=\"" + c +
                        "\">Cmt-" + c + "</kestro:cmt><kestro:desc lang=\"" + c + "\">&lt;b&gt;Desc-" + c +
                        "&lt;/b&gt;</kestro:desc><kestro:city lang=\"" + c + "\">City-" + c + "</kestro:city>";
    }
    const std::string first = codes.front();
    const fs::path source = root / "src";
    WriteFile(source / "kestro.ini", "[kestro]\ncodepage=65001\nlanguages=" + list + "\n" + translatedNames);
    WriteFile(source / "Essen" / "Caf\xC3\xA9s.gpx",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx xmlns:kestro=\"urn:kestro:gpx-languages:1\" "
              "xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\">\n" +
                  Wpt("50.1", "14.1",
                      "<name>Name-" + first + "@30</name><cmt>Cmt-" + first + "</cmt><desc>&lt;b&gt;Desc-" + first +
                          "&lt;/b&gt;</desc><extensions>" + translations +
                          "<kestro:name lang=\"XX\">unused</kestro:name><gpxx:WaypointExtension><gpxx:Address>"
                          "<gpxx:City>City-" + first + "</gpxx:City></gpxx:Address></gpxx:WaypointExtension></extensions>") +
                  Named("50.2", "14.2", "Only-" + first, "<desc>Bread-" + first + "</desc>") + "</gpx>\n");
    return source;
}

TEST(Languages, EveryLanguageReadsBackThroughGpsbabel) {
    if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed (scripts/bootstrap installs it)";
    struct Case {
        std::vector<std::string> codes;
        std::string note;  // on the file's missing translations
    };
    for (const auto& c : std::initializer_list<Case>{
             {{"DE", "EN"}, "2 texts without a translation into EN"},
             {{"FR", "DE", "EN"}, "2 texts without a translation into DE, 2 into EN"}}) {
        SCOPED_TRACE(c.codes.size());
        TempDir t;
        const fs::path source = LanguageFolder(t.Path(), c.codes, "[EN]\nEssen = Food\nEssen/Caf\xC3\xA9s = Cafes\n");
        const TConversion run = Convert(source);
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        const std::string file = "src/Essen/Caf\xC3\xA9s.gpx";
        EXPECT_NE(run.Output.find("kestro: note: " + file + ": " + c.note + "; the first language's text stands in\n"),
                  std::string::npos) << run.Output;
        EXPECT_NE(run.Output.find("kestro: warning: " + file + ": texts in language \"XX\" not used"), std::string::npos);
        // Names without a section entry repeat the name on disk.
        const bool namesMissing = c.codes.size() == 3;
        EXPECT_EQ(run.Output.find("kestro: note: src/Essen/: 2 names without a translation into DE in kestro.ini; the name "
                                  "on disk stands in\n") != std::string::npos,
                  namesMissing)
            << run.Output;

        ASSERT_EQ(run.File.Groups.size(), 1u);
        const TGpiGroup& group = run.File.Groups[0];
        ASSERT_EQ(group.Categories.size(), 1u);
        ASSERT_EQ(group.Name.size(), c.codes.size());
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            const bool english = c.codes[i] == "EN";
            EXPECT_EQ(group.Name[i].Language, c.codes[i]);
            EXPECT_EQ(group.Name[i].Text, english ? "Food" : "Essen");
            EXPECT_EQ(group.Categories[0].Name[i].Text, english ? "Cafes" : "Caf\xC3\xA9s");
            EXPECT_EQ(FindPart<TGpiAddress>(run.Point("Name-" + c.codes.front()))->City->at(i).Text, "City-" + c.codes[i]);
        }

        const TGpiPoint& translated = run.Point("Name-" + c.codes.front());
        const TGpiPoint& untranslated = run.Point("Only-" + c.codes.front());
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            const std::string code = c.codes[i];
            EXPECT_EQ(translated.Name.at(i).Text, "Name-" + code);
            EXPECT_EQ(FindPart<TGpiComment>(translated)->Text.at(i).Text, "Cmt-" + code);
            EXPECT_EQ(FindPart<TGpiDescription>(translated)->Text.at(i).Text, "<b>Desc-" + code + "</b>");
            EXPECT_EQ(untranslated.Name.at(i).Text, "Only-" + c.codes.front());
        }
        // GPSBabel 1.8.0 reads one or two languages per text, not three.
        if (c.codes.size() > 2) continue;
        for (const auto& code : c.codes) {
            const auto read = RunCommand("gpsbabel -i garmin_gpi,languagecode=" + code + " -f " + Q(t / "src.gpi") +
                                         " -o unicsv -F -");
            ASSERT_EQ(read.ExitCode, 0) << read.Output;
            const std::string first = c.codes.front();
            // The speed comes from the first language's name, cut from every one.
            EXPECT_EQ(read.Output,
                      "No,Latitude,Longitude,Name,Description,Notes,Symbol,Proximity,City\r\n"
                      "1,50.100000,14.100000,\"Name-" + code + "@30\",\"Cmt-" + code + "\",\"<b>Desc-" + code +
                          "</b>\",\"Waypoint\",300,\"City-" + code + "\"\r\n"
                          "2,50.200000,14.200000,\"Only-" + first + "\",\"Bread-" + first + "\",\"Bread-" + first +
                          "\",\"Waypoint\",,\r\n")
                << code;
        }
    }
}

TEST(Languages, CsvColumnsHoldFurtherLanguages) {
    TempDir t;
    WriteFile(t / "src" / "kestro.ini", "[kestro]\ncodepage=65001\nlanguages=DE,EN\n[EN]\nc = See\n");
    WriteFile(t / "src" / "c.csv",
              "lat,lon,name,Name : en,notes,comment:EN,desc:EN,city,city:en,phone:EN\n"
              "50.1,14.1,Kaffee@30,Coffee@50,Kuchen,Cake,<b>Tart</b>,Prag,Prague,1\n"
              "50.2,14.2,Brot,,Laib,,,,,\n");
    const TConversion run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find("kestro: note: src/c.csv: 2 texts without a translation into EN"), std::string::npos)
        << run.Output;
    ASSERT_EQ(run.File.Groups.size(), 1u);
    EXPECT_EQ(run.File.Groups[0].Name.at(1).Text, "See");
    const TGpiPoint& coffee = run.Point("Kaffee");
    const TGpiPoint& bread = run.Point("Brot");
    EXPECT_EQ(coffee.Name.at(1).Text, "Coffee");
    EXPECT_EQ(FindPart<TGpiComment>(coffee)->Text.at(1).Text, "Cake");
    EXPECT_EQ(FindPart<TGpiDescription>(coffee)->Text.at(0).Text, "");
    EXPECT_EQ(FindPart<TGpiDescription>(coffee)->Text.at(1).Text, "<b>Tart</b>");
    EXPECT_EQ(FindPart<TGpiAddress>(coffee)->City->at(1).Text, "Prague");
    EXPECT_EQ(bread.Name.at(1).Text, "Brot");
    EXPECT_EQ(FindPart<TGpiComment>(bread)->Text.at(1).Text, "Laib");
}

TEST(Languages, OneEnglishEntryWithOrWithoutTheSetting) {
    TempDir t;
    const std::vector<std::string> settings{"", "languages=EN\n", "languages= en \n"};
    std::vector<Bytes> written;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const fs::path source = t / std::to_string(i) / "src";
        WriteFile(source / "kestro.ini", "[kestro]\n" + settings[i]);
        WriteFile(source / "g.gpx", Gpx(Named("50", "14", "A", "<cmt>B</cmt>")));
        written.push_back(WithoutStamp(Convert(source).Written));
    }
    EXPECT_EQ(written[1], written[0]);
    EXPECT_NE(written[2], written[0]);  // "en" is written as given
}

// The only language's section renames groups and categories, with or
// without "languages=": "[EN]" is not ignored for want of a second language.
TEST(Languages, TheOnlyLanguagesSectionRenamesGroupsAndCategories) {
    TempDir t;
    for (const std::string setting : {"", "languages=EN\n"}) {
        SCOPED_TRACE(setting);
        const fs::path source = t / std::to_string(setting.size()) / "src";
        WriteFile(source / "kestro.ini", "[kestro]\n" + setting + "[EN]\nMetro = Underground\nMetro/stations = Stations\n");
        WriteFile(source / "Metro/stations.gpx", Gpx(Named("50", "14", "A")));
        WriteFile(source / "Metro/exits.gpx", Gpx(Named("50", "15", "B")));
        const auto run = Convert(source);
        ASSERT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_EQ(run.GroupNames(), std::vector<Bytes>{"Underground"});
        const auto& group = run.File.Groups.at(0);
        ASSERT_EQ(group.Categories.size(), 2u);
        EXPECT_EQ(TextOf(group.Categories.at(0).Name), "exits");
        EXPECT_EQ(TextOf(group.Categories.at(1).Name), "Stations");
    }
}

TEST(Languages, AnInvalidListIsASettingsError) {
    struct Case { const char* value; const char* why; };
    for (const auto& c : std::initializer_list<Case>{{"", "\"\" is no language code of two ASCII letters"},
                                                     {"RU,", "\"\" is no language code"},
                                                     {"RUS", "\"RUS\" is no language code"},
                                                     {"R1,EN", "\"R1\" is no language code"},
                                                     {"\xC3\x9C" "A", "is no language code"},
                                                     {"EN,DE,en", "\"en\" is listed twice"}}) {
        TempDir t;
        WriteFile(t / "src" / "kestro.ini", std::string("[kestro]\nlanguages=") + c.value + "\n");
        WriteFile(t / "src" / "g.gpx", Gpx(Named("50", "14", "A")));
        const TConversion run = Convert(t / "src");
        EXPECT_EQ(run.ExitCode, 3) << c.value << "\n" << run.Output;
        EXPECT_NE(run.Output.find("ESettingsError: Setting \"languages="), std::string::npos) << run.Output;
        EXPECT_NE(run.Output.find(c.why), std::string::npos) << run.Output;
        EXPECT_FALSE(fs::exists(t / "src.gpi"));
    }
}

// Every text of the partner's metro file, per language, as a reader sees it:
// the converter trims texts, and a short description becomes the comment.
std::vector<std::string> TextsOf(const TGpiFile& file) {
    auto trimmed = [](Bytes text) {
        while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
        return text;
    };
    auto entries = [&](const TGpiText& text) {
        std::string out;
        for (const auto& entry : text) out += entry.Language + "=" + trimmed(entry.Text) + ";";
        return out;
    };
    std::vector<std::string> texts;
    for (const auto& group : file.Groups) {
        texts.push_back("group " + entries(group.Name));
        for (const auto& category : group.Categories) texts.push_back("category " + entries(category.Name));
        std::vector<TPointIn> points;
        if (group.Root) CollectPoints(*group.Root, 0, points);
        for (const auto& p : points) {
            std::string text = "point " + entries(p.Point->Name);
            if (const auto* d = FindPart<TGpiDescription>(*p.Point)) text += " about " + entries(d->Text);
            if (const auto* c = FindPart<TGpiComment>(*p.Point)) text += " about " + entries(c->Text);
            texts.push_back(text);
        }
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST(Languages, PartnerMetroKeepsBothLanguagesThroughUnpack) {
    const fs::path gpi = test::SharedDir() / "data/peer/gpi/spb_metro_norm.gpi";
    if (test::SharedDir().empty() || !fs::exists(gpi)) {
        if (std::getenv("KESTRO_REQUIRE_SHARED") != nullptr && std::string(std::getenv("KESTRO_REQUIRE_SHARED")) == "1")
            FAIL() << "the shared folder is missing: " << gpi;
        GTEST_SKIP() << "no shared file " << gpi;
    }
    TempDir t;
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(gpi));
    EXPECT_EQ(unpack.Output.find("language"), std::string::npos) << unpack.Output;
    const auto again = RunCommand("cd " + Q(t / "u") + " && " + Q(KestroBinary()) + " . ../rebuilt.gpi");
    ASSERT_EQ(again.ExitCode, 0) << again.Output;
    // Nothing untranslated but the unpacker's "no category", the same in both languages and so left out.
    EXPECT_EQ(LinesStarting(again.Output, "kestro: note"),
              std::vector<std::string>{"kestro: note: ./Метро - Санкт-Петербург/: 1 name without a translation into EN in "
                                       "kestro.ini; the name on disk stands in"})
        << again.Output;

    const auto before = TextsOf(ParseGpi(ReadFile(gpi)));
    auto after = TextsOf(ParseGpi(ReadFile(t / "rebuilt.gpi")));
    // The unpacker's own file for the point without a category.
    after.erase(std::remove(after.begin(), after.end(), "category RU=no category;EN=no category;"), after.end());
    EXPECT_EQ(before.size(), 85u);  // group, category, 83 points
    EXPECT_EQ(after, before);
}

// The credits and the names of groups and categories share the language
// sections: a plain "source" or "copyright" key is the credit, a quoted one
// names the group or category of that name.
TEST(Languages, CreditKeysAndNamesOfThatSpellingApart) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\ncodepage=65001\nlanguages=EN,DE\nsource=Survey\ncopyright=(c) Us\n"
                                    "[DE]\nsource=Vermessung\n\"source\" = Quelle\nCopyright=(c) Wir\n"
                                    "\"Copyright\" = Urheber\n\"Copyright/source\" = Herkunft\nsource/a = Liste\n");
    WriteFile(t / "src/source/a.gpx", Gpx(Named("50.1", "14.1", "A")));
    WriteFile(t / "src/Copyright/source.gpx", Gpx(Named("50.2", "14.2", "B")));
    const TConversion run = Convert(t / "src");  // also unpacks and converts back, byte for byte
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    auto texts = [](const TGpiText& text) {
        std::vector<std::string> found;
        for (const auto& entry : text) found.push_back(entry.Language + " " + entry.Text);
        return found;
    };
    using Texts = std::vector<std::string>;
    ASSERT_EQ(run.File.Groups.size(), 2u);
    EXPECT_EQ(texts(run.File.Groups[0].Name), (Texts{"EN Copyright", "DE Urheber"}));
    ASSERT_EQ(run.File.Groups[0].Categories.size(), 1u);
    EXPECT_EQ(texts(run.File.Groups[0].Categories[0].Name), (Texts{"EN source", "DE Herkunft"}));
    EXPECT_EQ(texts(run.File.Groups[1].Name), (Texts{"EN source", "DE Quelle"}));
    ASSERT_EQ(run.File.Groups[1].Categories.size(), 1u);
    EXPECT_EQ(texts(run.File.Groups[1].Categories[0].Name), (Texts{"EN a", "DE Liste"}));
    ASSERT_TRUE(run.File.PoiHeader && run.File.PoiHeader->Copyright);
    const auto& credits = run.File.PoiHeader->Copyright->Texts;
    ASSERT_EQ(credits.size(), 2u);
    EXPECT_EQ(texts(credits[0]), (Texts{"EN Survey", "DE Vermessung"}));
    EXPECT_EQ(texts(credits[1]), (Texts{"EN (c) Us", "DE (c) Wir"}));
    EXPECT_EQ(run.Output.find("without a translation into DE in kestro.ini"), std::string::npos) << run.Output;
}

}  // namespace
}  // namespace kestro::conversion_test
