#include <gtest/gtest.h>

#include "app/RunState.h"
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

class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MaxRegion = -7;
        CodePage = -7;
        XmlCodePage = 7;
    }
    void TearDown() override {
        MaxRegion = 256;
        CodePage = 1252;
        XmlCodePage = 1252;
    }
    TempDir folder_;
};

TEST_F(LoadSettingsTest, MaxRegionValues) {
    struct Case { const char* value; std::int32_t maxRegion; };
    for (auto c : std::initializer_list<Case>{{"0x10", 16}, {"$10", 16}, {"abc", 256}, {"16", 16}, {"-3", -3}, {"", 256}}) {
        WriteFile(folder_ / "kestro.ini", std::string("[kestro]\nmaxregion=") + c.value + "\n");
        LoadSettings(folder_.Path().string() + "/");
        EXPECT_EQ(MaxRegion, c.maxRegion) << c.value;
        EXPECT_EQ(CodePage, 1252);
        EXPECT_EQ(XmlCodePage, 1252);
    }
}

TEST_F(LoadSettingsTest, CodePageSetsBothCodePages) {
    struct Case { const char* value; std::int32_t codePage; std::uint16_t xmlCodePage; };
    for (auto c : std::initializer_list<Case>{{"65001", 65001, 65001}, {"1251", 1251, 1251}, {"$1004E4", 0x1004E4, 1252},
                                              {"x1250", 1252, 1252}}) {
        WriteFile(folder_ / "kestro.ini", std::string("[Kestro]\nCodePage = ") + c.value + "\n");
        LoadSettings(folder_.Path().string() + "/");
        EXPECT_EQ(CodePage, c.codePage) << c.value;
        EXPECT_EQ(XmlCodePage, c.xmlCodePage) << c.value;
        EXPECT_EQ(MaxRegion, 256);
    }
}

TEST_F(LoadSettingsTest, MissingFileGivesDefaults) {
    LoadSettings(folder_.Path().string() + "/");
    EXPECT_EQ(MaxRegion, 256);
    EXPECT_EQ(CodePage, 1252);
    EXPECT_EQ(XmlCodePage, 1252);
}

TEST_F(LoadSettingsTest, PathOfAFileUsesItsFolder) {
    WriteFile(folder_ / "kestro.ini", "[kestro]\nmaxregion=9\n");
    WriteFile(folder_ / "points.gpx", "<gpx/>");
    LoadSettings((folder_ / "points.gpx").string());
    EXPECT_EQ(MaxRegion, 9);
}

TEST_F(LoadSettingsTest, LanguagesAndTheirNamesKeyedByTheNamesOnDisk) {
    WriteFile(folder_ / "kestro.ini",
              "[kestro]\nlanguages = ru , EN\n[en]\nFood = Essen\nfood = essen\nFood = later\nFood/Caf\xC3\xA9s = Cafes\n"
              "[RU]\nFood = first language\n");
    LoadSettings(folder_.Path().string() + "/");
    const TLanguages read = Languages;
    Languages = TLanguages();
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
    LoadSettings(folder_.Path().string() + "/");
    const TLanguages one = Languages;
    Languages = TLanguages();
    EXPECT_TRUE(one.Codes.empty());
    EXPECT_EQ(FirstLanguageName(one, "CON_", "CON_"), "CON");
    EXPECT_EQ(FirstLanguageName(one, "empty", "empty"), "empty");
    EXPECT_EQ(FirstLanguageName(one, "con_", "con_"), "con_");

    WriteFile(folder_ / "kestro.ini", "[kestro]\nlanguages=EN,DE,en\n");
    EXPECT_THROW(LoadSettings(folder_.Path().string() + "/"), ESettingsError);
    Languages = TLanguages();
}

TEST_F(LoadSettingsTest, UnreadableSettingsFileIsAnError) {
    std::filesystem::create_directories(folder_ / "kestro.ini");
    EXPECT_THROW(LoadSettings(folder_.Path().string() + "/"), EReadError);
}

}  // namespace
}  // namespace kestro
