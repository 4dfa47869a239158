// Sounds and credits end to end: sound files beside lists or linked from
// waypoints become media records that the alerts play, kestro.ini's
// "source" and "copyright" the copyright record; kestro-dump shows them,
// unpack gives them back byte for byte, and GPSBabel still reads every point.
#include "ConversionSupport.h"
#include "diag/Exceptions.h"
#include "gpi/MediaRecord.h"
#include "gpi/SoundFile.h"
#include "support/SoundData.h"

namespace kestro::conversion_test {
namespace {

bool HaveGpsBabel() { return RunCommand("command -v gpsbabel").ExitCode == 0; }

const TGpiAlert& AlertOf(const TGpiPoint& point) {
    if (point.Alert() == nullptr) throw std::runtime_error("no alert");
    return *point.Alert();
}

// Bytes 10 and 11 of the point's alert record: the sound it plays.
std::string SoundBytes(const TConversion& c, const Bytes& name) {
    return ToHex(RecordAt(c.Written, AlertOf(c.Point(name)).Offset).substr(8 + 10, 2));
}

std::vector<std::string> Warnings(const std::string& output) { return LinesStarting(output, "kestro: "); }

}  // namespace

TEST(Sounds, ListSoundAndCreditsGiveMediaOneTheOutlineAndTheReport) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\nsource=Cameras of Prague\ncopyright=(c) 2026 Kestro tests\n");
    WriteFile(t / "src/Cameras/speed_50.gpx",
              Gpx(Named("50.1", "14.1", "North") + Named("50.0", "14.2", "South@70")));
    WriteFile(t / "src/Cameras/speed_50.wav", test::PcmWav(200));
    const auto c = Convert(t / "src");
    ASSERT_EQ(c.ExitCode, 0) << c.Output;
    EXPECT_NE(c.Output.find("  Sound: src/Cameras/speed_50.wav\n"), std::string::npos) << c.Output;
    // The alerts name media 1; speed and distance stay the list's and the name's.
    EXPECT_EQ(SoundBytes(c, "North"), "01 00");
    EXPECT_EQ(SoundBytes(c, "South"), "01 00");
    EXPECT_EQ(AlertOf(c.Point("South")).Speed, 1944);
    ASSERT_EQ(c.File.Groups[0].Media.size(), 1u);
    const TGpiMedia& media = c.File.Groups[0].Media[0];
    EXPECT_EQ(media.Number, 1);
    EXPECT_EQ(media.Format, 0);
    ASSERT_EQ(media.Entries.size(), 1u);
    EXPECT_EQ(media.Entries[0].Language, "EN");
    EXPECT_TRUE(media.Entries[0].Data == test::PcmWav(200));
    // The extra part: category, then media.
    std::vector<std::uint16_t> extraTypes;
    for (const auto& record : c.File.Groups[0].Extra) extraTypes.push_back(record.Type);
    EXPECT_EQ(extraTypes, (std::vector<std::uint16_t>{GpiTypeCategory, GpiTypeMedia}));
    // The header extension record, the POI header's flags and the copyright record.
    ASSERT_TRUE(c.File.PoiHeader && c.File.PoiHeader->Copyright);
    EXPECT_EQ(c.File.PoiHeader->Flags, 0x0011);
    ASSERT_EQ(c.File.Header.Records.size(), 1u);
    EXPECT_EQ(c.File.Header.Records[0].Type, 15);

    const fs::path gpi = t / "src.gpi";
    const auto outline = RunCommand(Q(DumpBinary()) + " --no-stamp " + Q(gpi));
    EXPECT_NE(outline.Output.find("POI header @0x30: version \"00\", code page 1252, flags 0x0011\n"
                                  "  Copyright @0x48: values 20, 0\n"
                                  "    Source: EN \"Cameras of Prague\"\n"
                                  "    Copyright: EN \"(c) 2026 Kestro tests\"\n"),
              std::string::npos)
        << outline.Output;
    EXPECT_NE(outline.Output.find("sound: media 1\n"), std::string::npos) << outline.Output;
    EXPECT_NE(outline.Output.find("  Media 1 @"), std::string::npos) << outline.Output;
    const auto json = RunCommand(Q(DumpBinary()) + " --json " + Q(gpi));
    EXPECT_NE(json.Output.find("\"media\": 1"), std::string::npos) << json.Output;

    ASSERT_EQ(RunCommand(Q(DumpBinary()) + " --html " + Q(t / "report.html") + " " + Q(gpi)).ExitCode, 0);
    const std::string html = ReadFile(t / "report.html");
    EXPECT_NE(html.find("<p class=\"credits\"><b>Source:</b> Cameras of Prague<br><b>Copyright:</b> (c) 2026 Kestro tests</p>"),
              std::string::npos);
    EXPECT_NE(html.find("\"sounds\":[\"data:audio/wav;base64,UklGR"), std::string::npos);
    EXPECT_NE(html.find("\"sound\":0"), std::string::npos);
    EXPECT_NE(html.find("media-src data:"), std::string::npos);
    EXPECT_NE(html.find("el(\"audio\""), std::string::npos);

    if (!HaveGpsBabel()) GTEST_SKIP() << "gpsbabel is not installed (scripts/bootstrap installs it)";
    const auto back = RunCommand("gpsbabel -i garmin_gpi -f " + Q(gpi) + " -o unicsv -F -");
    EXPECT_EQ(back.ExitCode, 0) << back.Output;
    std::string csv = back.Output;
    std::erase(csv, '\r');
    EXPECT_EQ(csv, "No,Latitude,Longitude,Name,Symbol,Proximity\n"
                           "1,50.100000,14.100000,\"North@50\",\"Waypoint\",500\n"
                           "2,50.000000,14.200000,\"South@70\",\"Waypoint\",699\n");
}

TEST(Sounds, OwnFilesPerLanguageElseOneFileForAll) {
    TempDir t;
    WriteFile(t / "src/kestro.ini", "[kestro]\ncodepage=65001\nlanguages=RU,EN\nsource=\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\n"
                                    "copyright=Kestro\n[EN]\nsource=Metro\n");
    WriteFile(t / "src/Cameras/speed_50.gpx", Gpx(Named("50.1", "14.1", "A")));
    WriteFile(t / "src/Cameras/speed_50.RU.wav", test::PcmWav(30, '\x10'));
    WriteFile(t / "src/Cameras/speed_50.EN.wav", test::PcmWav(40, '\x20'));
    WriteFile(t / "src/Cameras/redlight.gpx", Gpx(Named("50.2", "14.2", "B")));
    WriteFile(t / "src/Cameras/redlight.mp3", test::Mp3Frame());
    const auto c = Convert(t / "src");  // also unpacks and converts back, byte for byte
    ASSERT_EQ(c.ExitCode, 0) << c.Output;
    const auto& media = c.File.Groups[0].Media;
    ASSERT_EQ(media.size(), 2u);
    // The files are listed by name: redlight first, so it is media 1.
    EXPECT_EQ(media[0].Format, 1);
    ASSERT_EQ(media[0].Entries.size(), 2u);
    EXPECT_EQ(media[0].Entries[0].Language, "RU");
    EXPECT_EQ(media[0].Entries[1].Language, "EN");
    EXPECT_TRUE(media[0].Entries[0].Data == test::Mp3Frame() && media[0].Entries[1].Data == test::Mp3Frame());
    EXPECT_EQ(media[1].Format, 0);
    ASSERT_EQ(media[1].Entries.size(), 2u);
    EXPECT_TRUE(media[1].Entries[0].Data == test::PcmWav(30, '\x10'));
    EXPECT_TRUE(media[1].Entries[1].Data == test::PcmWav(40, '\x20'));
    EXPECT_EQ(SoundBytes(c, "B"), "01 00");
    EXPECT_EQ(SoundBytes(c, "A"), "02 00");
    // A language without its own key repeats the first language's text.
    const auto& texts = c.File.PoiHeader->Copyright->Texts;
    ASSERT_EQ(texts.size(), 2u);
    auto shown = [](const TGpiText& text) {
        std::string out;
        for (const auto& entry : text) out += entry.Language + "=" + entry.Text + ";";
        return out;
    };
    EXPECT_EQ(shown(texts[0]), "RU=\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE;EN=Metro;");
    EXPECT_EQ(shown(texts[1]), "RU=Kestro;EN=Kestro;");
}

TEST(Sounds, WithoutKeysOrSoundsTheHeaderIsAsAlwaysAndOneKeyGivesBothTexts) {
    TempDir t;
    WriteFile(t / "plain/Cameras/speed_50.gpx", Gpx(Named("50.1", "14.1", "A")));
    WriteFile(t / "plain/Cameras/speed_50.txt", "not a sound");
    const auto plain = Convert(t / "plain");
    ASSERT_EQ(plain.ExitCode, 0) << plain.Output;
    EXPECT_EQ(ToHex(plain.Written.substr(0, 4)), "00 00 00 00");  // no extra part in the header record
    EXPECT_EQ(plain.File.PoiHeader->Flags, 0);
    EXPECT_FALSE(plain.File.PoiHeader->Copyright.has_value());
    EXPECT_TRUE(plain.File.Groups[0].Media.empty());
    EXPECT_EQ(SoundBytes(plain, "A"), "05 10");

    WriteFile(t / "credited/kestro.ini", "[kestro]\nlanguages=DE,EN\n[EN]\ncopyright=(c) Someone\n");
    WriteFile(t / "credited/Cameras/speed_50.gpx", Gpx(Named("50.1", "14.1", "A")));
    const auto credited = Convert(t / "credited");
    ASSERT_EQ(credited.ExitCode, 0) << credited.Output;
    ASSERT_TRUE(credited.File.PoiHeader->Copyright.has_value());
    const auto& texts = credited.File.PoiHeader->Copyright->Texts;
    ASSERT_EQ(texts.size(), 2u);
    ASSERT_EQ(texts[0].size(), 2u);
    EXPECT_TRUE(texts[0][0].Text.empty() && texts[0][1].Text.empty());
    ASSERT_EQ(texts[1].size(), 2u);
    EXPECT_EQ(texts[1][0].Language, "DE");
    EXPECT_EQ(texts[1][0].Text, "");
    EXPECT_EQ(texts[1][1].Text, "(c) Someone");
}

TEST(Sounds, LinkedFromWaypointsAndCsvColumnsNumberedByFirstUse) {
    TempDir t;
    WriteFile(t / "voice/cam.mp3", test::Id3Mp3());
    WriteFile(t / "voice/bell.wav", test::PcmWav(50));
    WriteFile(t / "src/Places/huts.gpx",
              Gpx(Named("50.1", "14.1", "Quiet") + Named("50.2", "14.2", "Bell", Link("voice/bell.wav")) +
                  Named("50.3", "14.3", "Cam", Link("voice/cam.mp3") + WaypointExtension("<gpxx:Proximity>120</gpxx:Proximity>"))));
    WriteFile(t / "src/Places/list.csv", "lat,lon,name,speed,sound\n50.4,14.4,Csv cam,30,voice/cam.mp3\n50.5,14.5,Plain,,\n");
    const auto c = Convert(t / "src");
    ASSERT_EQ(c.ExitCode, 0) << c.Output;
    EXPECT_TRUE(Warnings(c.Output).empty()) << c.Output;
    ASSERT_EQ(c.File.Groups[0].Media.size(), 2u);
    EXPECT_EQ(SoundBytes(c, "Bell"), "01 00");
    EXPECT_EQ(SoundBytes(c, "Cam"), "02 00");
    EXPECT_EQ(SoundBytes(c, "Csv cam"), "02 00");
    // A sound without an alert brings a proximity alert of 500 m; a given distance or speed stays.
    EXPECT_EQ(AlertOf(c.Point("Bell")).Distance, 500);
    EXPECT_EQ(AlertOf(c.Point("Bell")).Speed, 0);
    EXPECT_EQ(AlertOf(c.Point("Cam")).Distance, 120);
    EXPECT_EQ(AlertOf(c.Point("Csv cam")).Speed, 833);
    EXPECT_EQ(c.Point("Quiet").Alert(), nullptr);
    EXPECT_EQ(c.Point("Plain").Alert(), nullptr);
}

TEST(Sounds, BadSoundFilesAreWarnedAndLeaveThePredefinedSound) {
    TempDir t;
    WriteFile(t / "src/Cameras/speed_50.gpx", Gpx(Named("50.1", "14.1", "Empty")));
    WriteFile(t / "src/Cameras/speed_50.wav", "");
    WriteFile(t / "src/Cameras/speed_60.gpx", Gpx(Named("50.2", "14.2", "Png")));
    WriteFile(t / "src/Cameras/speed_60.wav", test::PngStart());
    WriteFile(t / "src/Cameras/speed_70.gpx", Gpx(Named("50.3", "14.3", "Huge")));
    WriteFile(t / "src/Cameras/speed_70.wav", test::PcmWav(16));
    fs::resize_file(t / "src/Cameras/speed_70.wav", 100 << 20);  // 100 MB, sparse where the file system allows
    WriteFile(t / "src/Cameras/speed_80.gpx", Gpx(Named("50.4", "14.4", "Gone", Link("voice/none.wav"))));
    const auto c = Convert(t / "src");
    ASSERT_EQ(c.ExitCode, 0) << c.Output;
    EXPECT_EQ(Warnings(c.Output),
              (std::vector<std::string>{
                  "kestro: warning: src/Cameras/speed_50.gpx: sound src/Cameras/speed_50.wav not used: the file is empty",
                  "kestro: warning: src/Cameras/speed_60.gpx: sound src/Cameras/speed_60.wav not used: neither WAV (RIFF, PCM) nor MP3",
                  "kestro: warning: src/Cameras/speed_70.gpx: sound src/Cameras/speed_70.wav not used: larger than 16 MiB",
                  "kestro: warning: src/Cameras/speed_80.gpx: link voice/none.wav not used: no such file or folder",
                  "kestro: warning: src/Cameras/speed_80.gpx: sound voice/none.wav not used: no such file"}));
    EXPECT_TRUE(c.File.Groups[0].Media.empty());
    for (const char* name : {"Empty", "Png", "Huge", "Gone"}) EXPECT_EQ(SoundBytes(c, name), "05 10") << name;
}

// A point that is not written (at 0, 0, outside the map, without usable
// coordinates) plays nothing: its sound gives no media record, no "Sound:"
// line and no warning, and the media of the points written keep their numbers.
TEST(Sounds, PointsNotWrittenBringNoSound) {
    TempDir t;
    WriteFile(t / "voice/zero.wav", test::PcmWav(20));
    WriteFile(t / "voice/bad.wav", test::PngStart());
    WriteFile(t / "voice/kept.mp3", test::Id3Mp3());
    WriteFile(t / "src/Places/huts.gpx",
              Gpx(Named("0", "0", "Zero", Link("voice/zero.wav")) + Named("95", "14", "Outside", Link("voice/bad.wav")) +
                  Named("north", "14", "Unreadable", Link("voice/bad.wav")) +
                  Named("50.2", "14.2", "Kept", Link("voice/kept.mp3"))));
    // A list whose one point is not written leaves the sound beside it unused.
    WriteFile(t / "src/Cameras/speed_50.gpx", Gpx(Named("0", "0", "Nowhere")));
    WriteFile(t / "src/Cameras/speed_50.wav", test::PcmWav(30));
    WriteFile(t / "src/Cameras/speed_60.gpx", Gpx(Named("50.3", "14.3", "Written")));
    const auto c = Convert(t / "src");
    ASSERT_EQ(c.ExitCode, 0) << c.Output;
    for (const auto& line : Warnings(c.Output)) EXPECT_EQ(line.find("sound"), std::string::npos) << line;
    EXPECT_EQ(LinesStarting(c.Output, "  Sound: "), std::vector<std::string>{"  Sound: voice/kept.mp3"}) << c.Output;
    ASSERT_EQ(c.File.Groups.size(), 2u);
    EXPECT_TRUE(c.File.Groups[0].Media.empty());
    ASSERT_EQ(c.File.Groups[1].Media.size(), 1u);
    EXPECT_EQ(c.File.Groups[1].Media[0].Format, 1);
    EXPECT_EQ(SoundBytes(c, "Kept"), "01 00");
    EXPECT_EQ(c.Points().size(), 2u);
    EXPECT_NE(c.Output.find("kestro: 4 waypoints not written: 3 without usable coordinates or at 0, 0, 1 outside the map\n"),
              std::string::npos) << c.Output;
}

// Alerts name a predefined sound as 0x1000 + its number: a group holds 4095 sounds.
TEST(Sounds, AGroupHoldsSoundsUpTo4095) {
    TempDir t;
    std::string waypoints;
    for (int i = 1; i <= 4096; ++i) {
        const std::string name = "s" + std::to_string(i);
        WriteFile(t / "voice" / (name + ".wav"), test::PcmWav(1, static_cast<char>(i)));
        waypoints += Named(Format("50.%04d", i), "14.1", name, Link("voice/" + name + ".wav"));
    }
    WriteFile(t / "src/Many/list.gpx", Gpx(waypoints));
    const auto c = Convert(t / "src");
    ASSERT_EQ(c.ExitCode, 0) << c.Output;
    EXPECT_EQ(c.File.Groups[0].Media.size(), 4095u);
    EXPECT_EQ(SoundBytes(c, "s4095"), "FF 0F");
    EXPECT_EQ(c.Point("s4096").Alert(), nullptr);  // no sound, so no alert to play it
    EXPECT_EQ(Warnings(c.Output),
              (std::vector<std::string>{"kestro: warning: src/Many/list.gpx: sound voice/s4096.wav not used: a group can have at most 4095 sounds"}));
}

class PartnerSounds : public test::TSharedDataTest {};

// The partner file holds one WAV under RU and EN, which no alert plays, and
// its credits in both languages.
TEST_F(PartnerSounds, MetroMediaAndCreditsAreReadAndCarried) {
    const fs::path gpi = PeerGpiFolder() / "spb_metro_norm.gpi";
    const TGpiFile file = ParseGpi(ReadFile(gpi));
    ASSERT_EQ(file.Groups.size(), 1u);
    ASSERT_EQ(file.Groups[0].Media.size(), 1u);
    const TGpiMedia& media = file.Groups[0].Media[0];
    EXPECT_EQ(media.Number, 1);
    EXPECT_EQ(media.Format, 0);
    ASSERT_EQ(media.Entries.size(), 2u);
    EXPECT_EQ(media.Entries[0].Data.size(), 96166u);
    EXPECT_TRUE(media.Entries[0].Data == media.Entries[1].Data);
    std::string why;
    EXPECT_EQ(SoundFormatOf(media.Entries[0].Data, why), TSoundFormat::Wav) << why;
    ASSERT_TRUE(file.PoiHeader && file.PoiHeader->Copyright);
    const auto& texts = file.PoiHeader->Copyright->Texts;
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0][1].Text, "Saint-Petersburg Metro 2016.05");

    TempDir t;
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(gpi));
    EXPECT_EQ(unpack.Output.find("copyright records"), std::string::npos) << unpack.Output;
    EXPECT_EQ(unpack.Output.find("media (sound) records"), std::string::npos) << unpack.Output;
    // Said, since kestro only writes sounds that alerts play.
    EXPECT_NE(unpack.Output.find("  1 sounds no alert plays (written to the media folder, not linked)\n"), std::string::npos)
        << unpack.Output;
    // The copyright begins with a blank, which kestro.ini cannot keep.
    EXPECT_NE(unpack.Output.find("  2 credit texts kestro.ini cannot hold (blanks at either end, line breaks)\n"),
              std::string::npos)
        << unpack.Output;
    EXPECT_TRUE(ReadFile(t / "u/.media/group-1/sound-1.wav") == media.Entries[0].Data);
    const std::string ini = ReadFile(t / "u/kestro.ini");
    EXPECT_NE(ini.find("\nsource=\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE - "), std::string::npos) << ini;
    EXPECT_NE(ini.find("\n[EN]\nsource=Saint-Petersburg Metro 2016.05\ncopyright= POI Garmin, Navicom \xC2\xA9 2016\n"),
              std::string::npos)
        << ini;

    const auto again = RunCommand("cd " + Q(t / "u") + " && " + Q(KestroBinary()) + " . ../rebuilt.gpi");
    ASSERT_EQ(again.ExitCode, 0) << again.Output;
    const TGpiFile rebuilt = ParseGpi(ReadFile(t / "rebuilt.gpi"));
    ASSERT_TRUE(rebuilt.PoiHeader && rebuilt.PoiHeader->Copyright);
    EXPECT_EQ(rebuilt.PoiHeader->Flags, 0x0011);
    const auto& back = rebuilt.PoiHeader->Copyright->Texts;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_TRUE(back[0] .size() == 2 && back[0][0].Text == texts[0][0].Text && back[0][1].Text == texts[0][1].Text);
    EXPECT_EQ(back[1][1].Text, "POI Garmin, Navicom \xC2\xA9 2016");
}

}  // namespace kestro::conversion_test
