// What an unpacked kestro.ini claims: every folder reported whole converts
// back byte for byte, names of any spelling keep their translations, and a
// file the converter could not take back is counted, not written.
#include <regex>

#include "cli/ConversionSupport.h"
#include "diag/Exceptions.h"
#include "sources/SettingsKey.h"

namespace kestro::conversion_test {
namespace {

std::string Translated(const std::string& name, const std::string& en) {
    return Named("50", "14", name, "<extensions><kestro:name lang=\"EN\">" + en + "</kestro:name></extensions>");
}

std::string LanguageGpx(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx xmlns:kestro=\"urn:kestro:gpx-languages:1\">\n" + body +
           "</gpx>\n";
}

// 800 categories in two languages give a kestro.ini far over 64 KiB; the
// unpacked folder is whole and converts back (Convert checks the bytes).
TEST(UnpackSettings, ManyTranslatedCategoriesComeBack) {
    TempDir t;
    std::string names = "[EN]\n";
    for (int i = 0; i < 800; ++i) {
        const std::string category = Format("Категория номер %04d с длинным названием", i);
        WriteFile(t / "src/Группа" / (category + ".gpx"), LanguageGpx(Translated("п", "p")));
        names += "Группа/" + category + Format(" = Category number %04d with a long name\n", i);
    }
    WriteFile(t / "src/kestro.ini", "[kestro]\ncodepage=65001\nlanguages=RU,EN\n" + names + "Группа = Group\n");
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    ASSERT_GT(names.size(), 65536u);
    ASSERT_EQ(run.File.Groups.size(), 1u);
    EXPECT_EQ(run.File.Groups[0].Categories.at(799).Name.at(1).Text, "Category number 0799 with a long name");
}

// Names that only a quoted key can hold get their translation, and unpack
// writes them quoted so that the rebuilt file is the same.
TEST(UnpackSettings, NamesWithSettingsSyntaxKeepTheirTranslations) {
    TempDir t;
    const std::vector<std::string> names{"a=b", ";semi", "[bracket]", " lead", "plain"};
    std::string settings = "[kestro]\ncodepage=65001\nlanguages=RU,EN\n[EN]\n";
    for (const auto& name : names) {
        WriteFile(t / "src" / name / (name + ".gpx"), LanguageGpx(Translated("x", "y")));
        settings += SettingsKeyText(name) + " = EN " + name + "\n" + SettingsKeyText(name + "/" + name) + " = EN cat " +
                    name + "\n";
    }
    WriteFile(t / "src/kestro.ini", settings);
    const auto run = Convert(t / "src");  // and unpacked back to the same bytes
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_EQ(run.Output.find("without a translation"), std::string::npos) << run.Output;
    ASSERT_EQ(run.File.Groups.size(), names.size());
    std::set<Bytes> english;
    for (const auto& group : run.File.Groups) {
        english.insert(group.Name.at(1).Text);
        english.insert(group.Categories.at(0).Name.at(1).Text);
    }
    for (const auto& name : names) {
        EXPECT_EQ(english.count("EN " + name), 1u) << name;
        EXPECT_EQ(english.count("EN cat " + name), 1u) << name;
    }
}

// Translations equal to the name on disk are what the converter takes
// anyway: the unpacked kestro.ini leaves them out.
TEST(UnpackSettings, TranslationsEqualToTheNameOnDiskAreLeftOut) {
    TempDir t;
    WriteFile(t / "src/Same/Same.gpx", LanguageGpx(Translated("x", "y")));
    WriteFile(t / "src/kestro.ini", "[kestro]\nlanguages=RU,EN\n[EN]\nSame = Same\nSame/Same = Same\n");
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(t / "src.gpi"));
    EXPECT_EQ(unpack.ExitCode, 0) << unpack.Output;
    const std::string ini = ReadFile(t / "u/kestro.ini");
    EXPECT_NE(ini.find("languages=RU,EN\n\n[EN]\n"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("Same ="), std::string::npos) << ini;
}

// Codes that differ in letter case only ("EN" and "en") cannot both be
// listed: the later one's texts are counted, the list keeps the first, and
// the folder converts back.
TEST(UnpackSettings, CodesEqualButForLetterCaseAreCountedNotListed) {
    TempDir t;
    WriteFile(t / "src/G.gpx", LanguageGpx(Translated("Erste", "Second")));
    WriteFile(t / "src/kestro.ini", "[kestro]\nlanguages=EN,QQ\n");
    const auto run = Convert(t / "src");
    ASSERT_EQ(run.ExitCode, 0) << run.Output;
    Bytes bytes = ReadFile(t / "src.gpi");
    ASSERT_NE(bytes.find("QQ"), Bytes::npos);
    for (std::size_t at = bytes.find("QQ"); at != Bytes::npos; at = bytes.find("QQ", at)) bytes.replace(at, 2, "en");
    WriteFile(t / "mixed.gpi", bytes);
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(t / "mixed.gpi"));
    EXPECT_EQ(unpack.ExitCode, 1) << unpack.Output;
    EXPECT_NE(unpack.Output.find("\nNot carried:\n"), std::string::npos) << unpack.Output;
    EXPECT_NE(unpack.Output.find("texts in a language code given before in another letter case"), std::string::npos)
        << unpack.Output;
    EXPECT_NE(ReadFile(t / "u/kestro.ini").find("\nlanguages=EN\n"), std::string::npos);
    const auto again = RunCommand("cd " + Q(t / "u") + " && " + Q(KestroBinary()) + " . ../rebuilt.gpi");
    EXPECT_EQ(again.ExitCode, 0) << again.Output;
}

}  // namespace
}  // namespace kestro::conversion_test
