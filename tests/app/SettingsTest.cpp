#include <gtest/gtest.h>

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "diag/Exceptions.h"
#include "support/TestSupport.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {
using test::TempDir;
using test::WriteFile;

TEST(SettingsInteger, DecimalAndHexadecimalForms) {
    struct Case { const char* text; std::optional<std::int32_t> value; };
    for (const auto& c : std::initializer_list<Case>{
             {"256", 256}, {"0", 0}, {"007", 7}, {"+7", 7}, {"-5", -5}, {"0x10", 16}, {"0X10", 16}, {"$10", 16},
             {"$ff", 255}, {"0xFfFf", 65535}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
             {"$7FFFFFFF", 2147483647}, {"$FFFFFFFF", -1}, {"0x80000000", INT32_MIN}}) {
        EXPECT_EQ(ParseSettingsInteger(c.text), c.value) << c.text;
    }
}

TEST(SettingsInteger, AnythingElseIsNoInteger) {
    for (const char* text : {"", "abc", "0x", "0X", "$", "-", "+", "12abc", "1 0", " 1", "1.5", "1e3", "-$10", "0x-1",
                             "$+1", "--1", "2147483648", "-2147483649", "$100000000", "0x000000001000000000",
                             "99999999999999999999999", "0b101", "\xEF\xBC\x91"})
        EXPECT_FALSE(ParseSettingsInteger(text).has_value()) << text;
}

TEST(SettingsFileSyntax, SectionsKeysCommentsAndTrimming) {
    const TSettingsFile settings(
        "maxregion=1\n"                 // before any section: ignored
        "; [kestro]\n"
        "[other]\n"
        "maxregion=2\n"
        "  [ KeStRo ]  \n"
        "\t; maxregion=3\n"
        "  MaxRegion \t=  0x10  \r\n"
        "codepage=1250=x\n"
        "maxregion=99\n"
        "noequals\n"
        "[other]\n"
        "empty =\n");
    EXPECT_EQ(settings.ReadString("kestro", "maxregion"), "0x10");
    EXPECT_EQ(settings.ReadString("KESTRO", "MAXREGION"), "0x10");
    EXPECT_EQ(settings.ReadString("kestro", "codepage"), "1250=x");
    EXPECT_EQ(settings.ReadString("other", "maxregion"), "2");
    EXPECT_EQ(settings.ReadString("other", "empty"), "");
    EXPECT_EQ(settings.ReadString("kestro", "noequals"), std::nullopt);
    EXPECT_EQ(settings.ReadString("missing", "maxregion"), std::nullopt);
    EXPECT_EQ(settings.ReadInteger("kestro", "maxregion", 256), 16);
    EXPECT_EQ(settings.ReadInteger("kestro", "codepage", 1252), 1252);
    EXPECT_EQ(settings.ReadInteger("kestro", "absent", 77), 77);
}

TEST(SettingsFileSyntax, LineEndingsAndByteOrderMark) {
    for (const char* text : {"[kestro]\nmaxregion=5", "[kestro]\r\nmaxregion=5\r\n", "[kestro]\rmaxregion=5\r",
                             "\xEF\xBB\xBF[kestro]\nmaxregion=5\n"}) {
        EXPECT_EQ(TSettingsFile(text).ReadInteger("kestro", "maxregion", 256), 5) << text;
    }
    EXPECT_EQ(TSettingsFile("[kestro\nmaxregion=5\n").ReadInteger("kestro", "maxregion", 256), 256);
    EXPECT_EQ(TSettingsFile("").ReadInteger("kestro", "maxregion", 256), 256);
}

// A quoted key holds what a plain one cannot: "=", a leading ";" or "[",
// blanks at either end, quotes (doubled). A line whose quote is not closed
// before "=" reads as a plain key, as it always did.
TEST(SettingsFileSyntax, QuotedKeys) {
    const TSettingsFile settings(
        "[EN]\n"
        "\"a=b\" = Nice name\n"
        "\";x\"=semi\n"
        "  \"[x]\"  =  bracket  \n"
        "\" both \" = blanks\n"
        "\"say \"\"hi\"\"\" = quotes\n"
        "\"\" = empty key\n"
        "\"open = not closed\n"
        "\"q\" x = after the quote\n");
    const std::vector<std::pair<std::string, std::string>> expected{
        {"a=b", "Nice name"}, {";x", "semi"},    {"[x]", "bracket"},          {" both ", "blanks"},
        {"say \"hi\"", "quotes"}, {"", "empty key"}, {"\"open", "not closed"}, {"\"q\" x", "after the quote"}};
    EXPECT_EQ(settings.Entries("EN"), expected);
    for (const std::string key : {"a=b", ";x", "[x]", " both ", "say \"hi\"", "\"", "plain", "x y", "Метро/Станции"}) {
        const TSettingsFile back("[EN]\n" + SettingsKeyText(key) + " = v\n");
        EXPECT_EQ(back.Entries("EN"), (std::vector<std::pair<std::string, std::string>>{{key, "v"}})) << key;
    }
    EXPECT_EQ(SettingsKeyText("plain key"), "plain key");  // files written so far stay as they were
    EXPECT_EQ(SettingsKeyText("x "), "\"x \"");
    // Names spelled as a credit key are written quoted and read back as names, not credits.
    for (const std::string key : {"source", "Copyright", "SOURCE"}) {
        const TSettingsFile back("[DE]\n" + SettingsKeyText(key) + " = v\n");
        EXPECT_EQ(back.NameEntries("DE"), (std::vector<std::pair<std::string, std::string>>{{key, "v"}})) << key;
        EXPECT_EQ(back.ReadCredit("DE", key), std::nullopt) << key;
    }
    const TSettingsFile plain("[DE]\nSource = credit\nsources = name\n");
    EXPECT_EQ(plain.ReadCredit("DE", "source"), "credit");
    EXPECT_EQ(plain.NameEntries("DE"), (std::vector<std::pair<std::string, std::string>>{{"sources", "name"}}));
}

class LoadSettingsTest : public ::testing::Test {
protected:
    void TearDown() override { XmlCodePage = 1252; }
    TRunSettings Load() { return LoadSettings(folder_.Path().string() + "/"); }
    TempDir folder_;
};

TEST_F(LoadSettingsTest, MaxRegionValues) {
    struct Case { const char* value; std::int32_t maxRegion; };
    for (auto c : std::initializer_list<Case>{{"0x10", 16}, {"$10", 16}, {"abc", 256}, {"16", 16}, {"-3", -3}, {"", 256}}) {
        WriteFile(folder_ / "kestro.ini", std::string("[kestro]\nmaxregion=") + c.value + "\n");
        const TRunSettings settings = Load();
        EXPECT_EQ(settings.MaxRegion, c.maxRegion) << c.value;
        EXPECT_EQ(settings.CodePage, 1252);
    }
}

// The code page as written; the working code page of the process is its
// low 16 bits once the run uses it, and nothing changes before.
TEST_F(LoadSettingsTest, CodePageAsWrittenAndTheWorkingOne) {
    struct Case { const char* value; std::int32_t codePage; std::uint16_t working; };
    for (auto c : std::initializer_list<Case>{{"65001", 65001, 65001}, {"1251", 1251, 1251}, {"$1004E4", 0x1004E4, 1252},
                                              {"x1250", 1252, 1252}}) {
        WriteFile(folder_ / "kestro.ini", std::string("[Kestro]\nCodePage = ") + c.value + "\n");
        XmlCodePage = 7;
        const TRunSettings settings = Load();
        EXPECT_EQ(XmlCodePage, 7);
        EXPECT_EQ(settings.CodePage, c.codePage) << c.value;
        EXPECT_EQ(settings.MaxRegion, 256);
        UseCodePage(settings);
        EXPECT_EQ(XmlCodePage, c.working) << c.value;
    }
}

TEST_F(LoadSettingsTest, MissingFileGivesDefaults) {
    const TRunSettings settings = Load();
    EXPECT_EQ(settings.MaxRegion, 256);
    EXPECT_EQ(settings.CodePage, 1252);
    EXPECT_TRUE(settings.ReadCsvFiles);
    EXPECT_TRUE(settings.Languages.Codes.empty());
}

TEST_F(LoadSettingsTest, CsvSwitch) {
    for (const auto& [value, read] : std::initializer_list<std::pair<const char*, bool>>{{"0", false}, {"1", true}, {"2", true}, {"no", true}}) {
        WriteFile(folder_ / "kestro.ini", std::string("[kestro]\ncsv=") + value + "\n");
        EXPECT_EQ(Load().ReadCsvFiles, read) << value;
    }
}

TEST_F(LoadSettingsTest, PathOfAFileUsesItsFolder) {
    WriteFile(folder_ / "kestro.ini", "[kestro]\nmaxregion=9\n");
    WriteFile(folder_ / "points.gpx", "<gpx/>");
    EXPECT_EQ(LoadSettings((folder_ / "points.gpx").string()).MaxRegion, 9);
}

TEST_F(LoadSettingsTest, LanguagesAndTheirNamesKeyedByTheNamesOnDisk) {
    WriteFile(folder_ / "kestro.ini",
              "[kestro]\nlanguages = ru , EN\n[en]\nFood = Essen\nfood = essen\nFood = later\nFood/Caf\xC3\xA9s = Cafes\n"
              "[RU]\nFood = first language\n");
    const TLanguages read = Load().Languages;
    EXPECT_EQ(read.Codes, (std::vector<std::string>{"ru", "EN"}));
    EXPECT_EQ(read.NameIn("EN", "Food"), "Essen");
    EXPECT_EQ(read.NameIn("EN", "food"), "essen");
    EXPECT_EQ(read.NameIn("EN", "Food/Caf\xC3\xA9s"), "Cafes");
    EXPECT_EQ(read.NameIn("EN", "FOOD"), std::nullopt);
    // The first language's section gives names a disk could not hold; the name on disk stands in elsewhere.
    EXPECT_EQ(FirstLanguageName(read, "Food", "Food"), "first language");
    EXPECT_EQ(FirstLanguageName(read, "food", "food"), "food");

    // Without "languages" the one language is EN.
    WriteFile(folder_ / "kestro.ini", "[kestro]\n[EN]\nCON_ = CON\nempty =\n");
    const TLanguages one = LoadSettings(folder_.Path().string() + "/").Languages;
    EXPECT_TRUE(one.Codes.empty());
    EXPECT_EQ(FirstLanguageName(one, "CON_", "CON_"), "CON");
    EXPECT_EQ(FirstLanguageName(one, "empty", "empty"), "empty");
    EXPECT_EQ(FirstLanguageName(one, "con_", "con_"), "con_");

    WriteFile(folder_ / "kestro.ini", "[kestro]\nlanguages=EN,DE,en\n");
    EXPECT_THROW(Load(), ESettingsError);
}

TEST_F(LoadSettingsTest, UnreadableSettingsFileIsAnError) {
    std::filesystem::create_directories(folder_ / "kestro.ini");
    EXPECT_THROW(LoadSettings(folder_.Path().string() + "/"), EReadError);
}

}  // namespace
}  // namespace kestro
