#include <gtest/gtest.h>

#include <filesystem>

#include "gpi/CopyrightRecord.h"
#include "gpi/FileFrame.h"
#include "gpi/GpiCheck.h"
#include "gpi/GpiReader.h"
#include "gpi/GpiUtil.h"
#include "gpi/MediaRecord.h"
#include "gpi/PoiRecord.h"
#include "gpi/SoundFile.h"
#include "support/SoundData.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::Hex;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

TEST(MediaRecord, OneClipPerLanguageAfterTheirByteCount) {
    const Bytes record = GpiMediaRecord(1, TSoundFormat::Wav, {{"RU", "abc"}, {"EN", "de"}});
    EXPECT_EQ(ToHex(record), "12 00 08 00 18 00 00 00 03 00 00 00 "  // type 18, flag 8, data 24, main 3
                             "01 00 00 "                             // media 1, WAV
                             "11 00 00 00 "                          // 6 + 3 + 6 + 2 bytes follow
                             "52 55 03 00 00 00 61 62 63 "           // RU, 3 bytes, "abc"
                             "45 4E 02 00 00 00 64 65");             // EN, 2 bytes, "de"
    EXPECT_EQ(ToHex(GpiMediaRecord(0x0FFF, TSoundFormat::Mp3, {{"EN", ""}}).substr(12, 3)), "FF 0F 01");
}

TEST(MediaRecord, ReadBackWithItsClips) {
    const Bytes media = GpiMediaRecord(2, TSoundFormat::Mp3, {{"RU", "xyz"}, {"EN", "xyz"}});
    const Bytes group = GpiRecord(GpiTypeGroup, GpiLangString("g"), media);
    const TGpiFile file = ParseGpi(GpiHeaderRecord("f.gpi", 0) + GpiCodePageRecord(1252) + group + GpiEndRecord());
    ASSERT_EQ(file.Groups.size(), 1u);
    ASSERT_EQ(file.Groups[0].Media.size(), 1u);
    const TGpiMedia& m = file.Groups[0].Media[0];
    EXPECT_EQ(m.Number, 2);
    EXPECT_EQ(m.Format, 1);
    ASSERT_EQ(m.Entries.size(), 2u);
    EXPECT_EQ(m.Entries[0].Language, "RU");
    EXPECT_EQ(m.Entries[1].Data, "xyz");
    EXPECT_TRUE(file.Problems.empty());
}

// Bytes 10 and 11 of the alert: 0x1000 + a predefined sound, or the media number.
TEST(AlertSound, CustomSoundReplacesThePredefinedOne) {
    TPoiWpt point;
    point.AlertSpeed = 50;
    EXPECT_EQ(ToHex(GpiAlertMain(point)), "F4 01 6C 05 00 01 10 00 01 01 05 10");
    point.Sound = 1;
    EXPECT_EQ(ToHex(GpiAlertMain(point)), "F4 01 6C 05 00 01 10 00 01 01 01 00");
    point.Sound = 0x0FFF;  // the last number below the predefined sounds
    EXPECT_EQ(ToHex(GpiAlertMain(point)), "F4 01 6C 05 00 01 10 00 01 01 FF 0F");
    TPoiWpt proximity;
    proximity.AlertDistance = 500;
    EXPECT_EQ(ToHex(GpiAlertMain(proximity)), "F4 01 00 00 00 01 10 00 01 01 04 10");
    proximity.Sound = 3;
    EXPECT_EQ(ToHex(GpiAlertMain(proximity)), "F4 01 00 00 00 01 10 00 01 01 03 00");
}

TEST(CopyrightRecord, SourceAndCopyrightBetweenFixedBytes) {
    TCredits credits{{{"EN", "Src"}}, {{"EN", "(c)"}}};
    EXPECT_EQ(ToHex(GpiCopyrightRecord(credits)),
              "11 00 00 00 22 00 00 00 "            // type 17, no flags, 34 bytes
              "14 00 00 00 00 00 00 00 "            // 0x14, 0, four zero bytes
              "07 00 00 00 45 4E 03 00 53 72 63 "   // EN "Src"
              "07 00 00 00 45 4E 03 00 28 63 29 "   // EN "(c)"
              "02 0F E2 07");
}

TEST(CopyrightRecord, PoiHeaderCarriesItWithFlags0x0011AndOnlyThen) {
    EXPECT_EQ(ToHex(GpiPoiHeaderRecord(1252, TCredits{})), "01 00 00 00 0C 00 00 00 50 4F 49 00 00 00 30 30 E4 04 00 00");
    EXPECT_EQ(GpiPoiHeaderRecord(1252, TCredits{}), GpiCodePageRecord(1252));
    const TCredits credits{{{"RU", "a"}, {"EN", "b"}}, {{"RU", ""}, {"EN", ""}}};
    const Bytes copyright = GpiCopyrightRecord(credits);
    EXPECT_EQ(ToHex(GpiPoiHeaderRecord(65001, credits)),
              ToHex(Hex("01 00 08 00") + GpiDword(static_cast<std::uint32_t>(12 + copyright.size())) +
                    Hex("0C 00 00 00 50 4F 49 00 00 00 30 30 E9 FD 11 00") + copyright));
    EXPECT_EQ(ToHex(GpiHeaderExtensionRecord()), "0F 00 00 00 05 00 00 00 11 27 01 00 00");
}

TEST(CopyrightRecord, ReadBackAndCheckedClean) {
    const TCredits credits{{{"EN", "Source"}}, {{"EN", "Copyright"}}};
    const Bytes file = GpiHeaderRecord("f.gpi", 0, GpiHeaderExtensionRecord()) + GpiPoiHeaderRecord(1252, credits) +
                       GpiEndRecord();
    const TGpiFile parsed = ParseGpi(file);
    ASSERT_TRUE(parsed.PoiHeader && parsed.PoiHeader->Copyright);
    EXPECT_EQ(parsed.PoiHeader->Flags, 0x11);
    ASSERT_EQ(parsed.PoiHeader->Copyright->Texts.size(), 2u);
    EXPECT_EQ(parsed.PoiHeader->Copyright->Texts[1][0].Text, "Copyright");
    EXPECT_TRUE(CheckGpi(parsed).empty());
    // The flags without the record's value are a fault of the file.
    Bytes wrongFlags = file;
    wrongFlags[file.find("POI") + 10] = 0x01;
    const auto problems = CheckGpi(ParseGpi(wrongFlags));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].Text.find("flags 0x0001 with a copyright record"), std::string::npos);
}

// A group whose one point's alert plays `sound`, with the media records given.
Bytes GroupWithSound(std::uint16_t sound, const Bytes& media) {
    TPoiWpt point;
    point.Lat = 1;
    point.Lon = 1;
    point.Name = "p";
    point.AlertDistance = 100;
    point.Sound = sound;
    const Bytes area = GpiRecord(GpiTypeArea, GpiDword(DegToSemicircles(2)) + GpiDword(DegToSemicircles(2)) +
                                                  GpiDword(DegToSemicircles(0)) + GpiDword(DegToSemicircles(0)) +
                                                  Hex("00 00 00 00 01 00 01"),
                                 GpiPoi(point));
    return GpiHeaderRecord("f.gpi", 0) + GpiCodePageRecord(1252) +
           GpiRecord(GpiTypeGroup, GpiLangString("g") + area, media) + GpiEndRecord();
}

TEST(MediaCheck, AlertsNameExistingMediaOfWavOrMp3) {
    EXPECT_TRUE(CheckGpi(ParseGpi(GroupWithSound(1, GpiMediaRecord(1, TSoundFormat::Wav, {{"EN", test::PcmWav()}})))).empty());
    const auto missing = CheckGpi(ParseGpi(GroupWithSound(2, GpiMediaRecord(1, TSoundFormat::Wav, {{"EN", test::PcmWav()}}))));
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].Text, "alert plays missing media 2");
    const auto notWav = CheckGpi(ParseGpi(GroupWithSound(1, GpiMediaRecord(1, TSoundFormat::Wav, {{"EN", test::PngStart()}}))));
    ASSERT_EQ(notWav.size(), 1u);
    EXPECT_EQ(notWav[0].Text, "media 1, language \"EN\": neither WAV (RIFF, PCM) nor MP3");
    // Other formats are tolerated: their bytes are not judged.
    EXPECT_TRUE(CheckGpi(ParseGpi(GroupWithSound(1, GpiMediaRecord(1, static_cast<TSoundFormat>(7), {{"EN", test::PngStart()}})))).empty());
    const auto empty = CheckGpi(ParseGpi(GroupWithSound(1, Hex("12 00 08 00 07 00 00 00 03 00 00 00 01 00 00 00 00 00 00"))));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].Text, "media 1 holds no sound");
}

TEST(SoundFormat, WavMustHoldPcmAndMp3AFrameOrId3) {
    std::string why;
    EXPECT_EQ(SoundFormatOf(test::PcmWav(), why), TSoundFormat::Wav);
    EXPECT_EQ(SoundFormatOf(test::PcmWav(4, '\0', 0xFFFE), why), TSoundFormat::Wav);  // extensible
    EXPECT_EQ(SoundFormatOf(test::Mp3Frame(), why), TSoundFormat::Mp3);
    EXPECT_EQ(SoundFormatOf(test::Id3Mp3(), why), TSoundFormat::Mp3);
    struct Case { Bytes content; const char* why; };
    const Bytes riffAvi = Bytes("RIFF\x04\x00\x00\x00" "AVI ", 12);
    for (const auto& c : std::initializer_list<Case>{
             {Bytes(), "the file is empty"},
             {test::PngStart(), "neither WAV (RIFF, PCM) nor MP3"},
             {test::PcmWav(4, '\0', 3), "a WAV file of encoding 3, not PCM"},
             {riffAvi, "a RIFF file, but no WAV"},
             {test::PcmWav().substr(0, 12), "a WAV file without a \"fmt \" chunk"},
             {test::PcmWav().substr(0, 30), "its \"fmt \" chunk is cut short"},
             {Hex("FF F9 90 00"), "neither WAV (RIFF, PCM) nor MP3"},   // layer bits 00
             {Hex("FF FB F0 00"), "neither WAV (RIFF, PCM) nor MP3"},   // bit rate index 15
             {Hex("FF FB 9C 00"), "neither WAV (RIFF, PCM) nor MP3"},   // sampling rate index 3
             {Hex("FF EB 90 00"), "neither WAV (RIFF, PCM) nor MP3"},   // version bits 01
             {Hex("FF FB 90"), "neither WAV (RIFF, PCM) nor MP3"}}) {  // a frame head cut short
        why.clear();
        EXPECT_FALSE(SoundFormatOf(c.content, why).has_value()) << ToHex(c.content.substr(0, 16));
        EXPECT_EQ(why, c.why) << ToHex(c.content.substr(0, 16));
    }
}

// A sparse file of `size` bytes that starts with a WAV header.
void SparseWav(const std::filesystem::path& path, std::uint64_t size) {
    WriteFile(path, test::PcmWav(16));
    std::filesystem::resize_file(path, size);  // sparse where the file system allows
}

TEST(SoundFile, TakenUpToTheLimitAndNotOneByteMore) {
    TempDir t;
    SparseWav(t / "at.wav", SoundFileLimit);
    SparseWav(t / "over.wav", SoundFileLimit + 1);
    SparseWav(t / "huge.wav", 100ull << 20);
    Bytes content;
    std::string why;
    EXPECT_EQ(ReadSoundFile((t / "at.wav").string(), content, why), TSoundFormat::Wav) << why;
    EXPECT_EQ(content.size(), SoundFileLimit);
    for (const char* name : {"over.wav", "huge.wav"}) {
        why.clear();
        EXPECT_FALSE(ReadSoundFile((t / name).string(), content, why).has_value()) << name;
        EXPECT_EQ(why, "larger than 16 MiB") << name;
        EXPECT_TRUE(content.empty());
    }
    why.clear();
    EXPECT_FALSE(ReadSoundFile((t / "missing.wav").string(), content, why).has_value());
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace kestro
