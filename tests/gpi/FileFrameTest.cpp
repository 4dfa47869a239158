#include <gtest/gtest.h>

#include <sys/stat.h>

#include "diag/Exceptions.h"
#include "gpi/CodePage.h"
#include "gpi/FileFrame.h"
#include "gpi/GpiUtil.h"
#include "gpi/OutputFile.h"
#include "gpi/TextConversion.h"
#include "support/TestSupport.h"

namespace kestro {
namespace {
using test::Hex;
using test::ReadFile;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

class CodePageScope {
public:
    explicit CodePageScope(std::int32_t codePage) : saved_(CodePage) { CodePage = codePage; }
    ~CodePageScope() { CodePage = saved_; }

private:
    std::int32_t saved_;
};

TEST(FileFrame, HeaderRecordsForOutGpiInCodePage1252) {
    const Bytes header = GpiHeaderRecord("out.gpi", 0x12345678);
    EXPECT_EQ(ToHex(header), ToHex(Hex("00 00 00 00 17 00 00 00") + "GRMREC00" + Hex("78 56 34 12 00 00 07 00") + "out.gpi"));
    EXPECT_EQ(ToHex(GpiCodePageRecord(1252)), "01 00 00 00 0C 00 00 00 50 4F 49 00 00 00 30 30 E4 04 00 00");
}

TEST(FileFrame, CodePageRecordCarriesTheLow16Bits) {
    struct Case { std::int32_t codePage; const char* bytes; };
    for (auto c : std::initializer_list<Case>{{1252, "E4 04"}, {65001, "E9 FD"}, {1251, "E3 04"}, {0x1004E4, "E4 04"}, {-1, "FF FF"}})
        EXPECT_EQ(ToHex(GpiCodePageRecord(c.codePage)), ToHex(Hex("01 00 00 00 0C 00 00 00 50 4F 49 00 00 00 30 30") + Hex(c.bytes) + Hex("00 00")))
            << c.codePage;
}

TEST(FileFrame, HeaderOfEmptyAndNonAsciiNames) {
    EXPECT_EQ(ToHex(GpiHeaderRecord("", 0)), ToHex(Hex("00 00 00 00 10 00 00 00") + "GRMREC00" + Hex("00 00 00 00 00 00 00 00")));
    EXPECT_EQ(ToHex(GpiHeaderRecord("caf\xE9.gpi", 1)),
              ToHex(Hex("00 00 00 00 18 00 00 00") + "GRMREC00" + Hex("01 00 00 00 00 00 08 00") + "caf\xE9.gpi"));
}

TEST(FileFrame, EndRecord) { EXPECT_EQ(ToHex(GpiEndRecord()), "FF FF 00 00 00 00 00 00"); }

TEST(FileFrame, WrittenFrameIsHeaderHeaderEnd) {
    TempDir folder;
    const CodePageScope codePage(1252);
    {
        TOutputFile output((folder / "out.gpi").string());
        WriteHeader(output, "out.gpi");
        WriteEndRecord(output);
        output.Close();
    }
    Bytes written = ReadFile(folder / "out.gpi");
    ASSERT_EQ(written.size(), 24u + 7u + 20u + 8u);
    written.replace(16, 4, Hex("00 00 00 00"));  // the time stamp
    EXPECT_EQ(ToHex(written), ToHex(GpiHeaderRecord("out.gpi", 0) + GpiCodePageRecord(1252) + GpiEndRecord()));
}

TEST(FileFrame, TickCountMovesForward) {
    const std::uint32_t first = GetTickCount();
    const std::uint32_t second = GetTickCount();
    EXPECT_LE(static_cast<std::uint32_t>(second - first), 1000u);
}

TEST(OutputFile, ReplacesAnExistingFileInsteadOfAppendingOrOverlaying) {
    TempDir folder;
    const auto path = folder / "out.gpi";
    WriteFile(path, Bytes(1000, 'x'));
    TOutputFile output(path.string());
    GpiWriteBytes(output, "ab");
    GpiWriteBytes(output, "");
    output.Close();
    EXPECT_EQ(ReadFile(path), "ab");
}

TEST(OutputFile, ReplacingDoesNotWriteThroughAnotherNameOfTheOldFile) {
    TempDir folder;
    WriteFile(folder / "old.gpi", "keep");
    ASSERT_EQ(link((folder / "old.gpi").c_str(), (folder / "out.gpi").c_str()), 0);
    TOutputFile output((folder / "out.gpi").string());
    GpiWriteBytes(output, "new");
    output.Close();
    EXPECT_EQ(ReadFile(folder / "old.gpi"), "keep");
    EXPECT_EQ(ReadFile(folder / "out.gpi"), "new");
}

TEST(OutputFile, CreationFailureNamesFullPathAndSystemText) {
    TempDir folder;
    const auto path = folder / "missing" / "out.gpi";
    try {
        TOutputFile output(path.string());
        FAIL() << "created";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + path.string() + "\". No such file or directory");
    }
}

TEST(OutputFile, RelativeNameIsReportedWithItsFullPath) {
    const std::string expected = (std::filesystem::current_path() / "no-such-kestro-folder" / "out.gpi").string();
    try {
        TOutputFile output("no-such-kestro-folder/./out.gpi");
        FAIL() << "created";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + expected + "\". No such file or directory");
    }
}

TEST(OutputFile, FailedWriteRaisesWriteError) {
    TOutputFile output("/dev/full");
    EXPECT_NO_THROW(GpiWriteBytes(output, ""));
    try {
        GpiWriteBytes(output, "abc");
        FAIL() << "written";
    } catch (const EWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot write file \"/dev/full\". No space left on device");
    }
}

TEST(OutputFile, WriteAfterCloseRaisesWriteError) {
    TempDir folder;
    TOutputFile output((folder / "out.gpi").string());
    output.Close();
    EXPECT_THROW(GpiWriteBytes(output, "a"), EWriteError);
    EXPECT_NO_THROW(output.Close());
}

TEST(TextConversion, EncodingNames) {
    struct Case { std::int32_t codePage; const char* name; };
    for (auto c : std::initializer_list<Case>{{874, "CP874"}, {1250, "CP1250"}, {1252, "CP1252"}, {1258, "CP1258"},
                                              {28591, "ISO-8859-1"}, {28592, "ISO-8859-2"}, {28605, "ISO-8859-15"},
                                              {20866, "KOI8-R"}, {21866, "KOI8-U"}, {65001, "UTF-8"}, {437, "CP437"},
                                              {850, "CP850"}, {866, "CP866"}})
        EXPECT_EQ(CodePageEncodingName(c.codePage), c.name);
}

TEST(TextConversion, AvailableCodePages) {
    for (std::int32_t codePage : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 28591, 28592, 28605, 20866,
                                  21866, 65001, 437, 850, 852, 866})
        EXPECT_TRUE(CodePageAvailable(codePage)) << codePage;
    for (std::int32_t codePage : {0, -1, -1252, 1, 12345, 28602, 0x1004E4})
        EXPECT_FALSE(CodePageAvailable(codePage)) << codePage;
}

TEST(TextConversion, Utf8IntoCodePages) {
    struct Case { const char* utf8; std::int32_t codePage; const char* expected; };
    for (auto c : std::initializer_list<Case>{
             {"out.gpi", 1252, "out.gpi"},
             {"", 1252, ""},
             {"Caf\xC3\xA9", 1252, "Caf\xE9"},
             {"\xE2\x82\xAC", 1252, "\x80"},               // euro sign
             {"\xE2\x82\xAC", 28591, "?"},                 // ISO-8859-1 has no euro sign
             {"\xE6\x97\xA5\xE6\x9C\xAC.gpi", 1252, "??.gpi"},  // two CJK characters, one "?" each
             {"\xD0\x96", 1251, "\xC6"},
             {"\xC5\xBD", 1250, "\x8E"},
             {"\xD1\x91", 20866, "\xA3"},
             {"\xF0\x9F\x98\x80!", 1252, "?!"},            // a four-byte character
             {"\xFF" "ab", 1252, "?ab"},                   // not UTF-8
             {"ab\xC3", 1252, "ab?"},                      // cut off character
             {"Caf\xC3\xA9 \xE6\x97\xA5", 65001, "Caf\xC3\xA9 \xE6\x97\xA5"},
             {"\xFF", 65001, "\xFF"}}) {
        EXPECT_EQ(ToHex(Utf8ToCodePage(c.utf8, c.codePage)), ToHex(c.expected)) << c.utf8 << " " << c.codePage;
    }
}

TEST(TextConversion, LongTextIsConvertedWhole) {
    std::string utf8;
    Bytes expected;
    for (int i = 0; i < 5000; ++i) {
        utf8 += "a\xC3\xA9\xE6\x97\xA5";
        expected += "a\xE9?";
    }
    EXPECT_EQ(Utf8ToCodePage(utf8, 1252), expected);
}

TEST(TextConversion, UnavailableCodePageIsAnError) {
    EXPECT_THROW(Utf8ToCodePage("abc", 12345), EConvertError);
    EXPECT_THROW(Utf8ToCodePage("abc", 0), EConvertError);
}

}  // namespace
}  // namespace kestro
