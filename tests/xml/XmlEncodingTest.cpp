// Encodings: declarations, byte-order marks, the own UTF-8 decoder, the
// 8-bit code pages and the conversion into the working code page.
#include <gtest/gtest.h>

#include <sstream>

#include "XmlTestSupport.h"
#include "platform/CodePages.h"
#include "support/TestSupport.h"
#include "xml/XmlSource.h"
#include "xml/XmlTranscoder.h"

namespace kestro::test {
namespace {

std::string Repeat(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

std::string LoadFileRootText(const Bytes& content) {
    TempDir folder;
    WriteFile(folder / "in.xml", content);
    auto document = CreateXmlDocument();
    document->LoadFromFile((folder / "in.xml").string());
    return document->GetDocumentElement()->GetText();
}

TEST(XmlEncodingDeclaration, WithoutDeclarationBytesAreTakenUnchanged) {
    TCodePageScope codePage(1252);
    EXPECT_EQ(RootText("<a>\xC3\x84</a>"), "\xC3\x84");
    // A UTF-8 mark means UTF-8, with or without a declaration, and a
    // declaration after it does not change that; text across a block's end too.
    struct TMarked {
        std::string text;
        std::string root;
    };
    const std::string far(TXmlSource::BlockSize - 3, 'x');
    for (const auto& c : std::initializer_list<TMarked>{
             {"\xEF\xBB\xBF<a>\xC3\x84</a>", "\xC4"},
             {"\xEF\xBB\xBF<?xml version='1.0'?><a>Caf\xC3\xA9</a>", "Caf\xE9"},
             {"\xEF\xBB\xBF<?xml version='1.0' encoding='windows-1252'?><a>\xC3\x84</a>", "\xC4"},
             {"\xEF\xBB\xBF<a>" + far + "\xC3\x84\xC3\x84</a>", far + "\xC4\xC4"},
             {"\xEF\xBB<a>\xC3\x84</a>", "\xC3\x84"}}) {
        SCOPED_TRACE(c.text.substr(0, 60));
        EXPECT_EQ(LoadFileRootText(c.text), c.root);
    }
    // text held in a string is not inspected for a mark
    auto document = LoadXmlText("\xEF\xBB\xBF<a/>");
    EXPECT_EQ(document->GetChildNodes()->GetItem(0)->GetText(), "\xEF\xBB\xBF");
}

TEST(XmlEncodingDeclaration, DeclarationSwitchesTheSourceEncoding) {
    TCodePageScope codePage(1252);
    struct Case {
        const char* Text;
        const char* Expected;
    };
    for (auto c : std::initializer_list<Case>{
             {"<?xml version='1.0'?><a>\xC3\x84</a>", "\xC4"},  // no encoding: UTF-8
             {"<?xml version='1.0' encoding=''?><a>\xC3\x84</a>", "\xC4"},
             {"<?xml version='1.0' encoding='utf-8'?><a>\xC3\x84</a>", "\xC4"},
             {"<?xml version='1.0' encoding='Windows-1250'?><a>\x8A\xE8</a>", "\x8A?"},
             {"<?xml version='1.0' encoding='iso-8859-2'?><a>\xA9</a>", "\x8A"},
             {"<?xml version='1.0' encoding='KOI8-U'?><a>\xA4</a>", "?"},
             {"\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><a x='\xC3\xA9'>\xE2\x82\xAC</a>", "\x80"},
         }) {
        EXPECT_EQ(LoadFileRootText(c.Text), c.Expected) << c.Text;
    }
    auto attribute = LoadXmlText("<?xml version='1.0'?><a x='\xC3\xA9'/>")->GetDocumentElement()->GetValue("@x");
    EXPECT_EQ(attribute.AsText(), "\xE9");
}

TEST(XmlEncodingDeclaration, TheEncodingAppliesFromTheByteAfterTheOneAfterTheDeclaration) {
    // The byte right after "?>" is read before the declaration takes effect
    // and so is taken unchanged; the next one is the first one decoded.
    TCodePageScope codePage(1252);
    for (std::size_t filler : {0, 100, 20000}) {
        std::string text = "<?xml version='1.0'?>\xC3\x84\xC3\x84<a/>" + std::string(filler, ' ');
        auto document = LoadXmlText(text);
        EXPECT_EQ(ToHex(document->GetChildNodes()->GetItem(1)->GetText()), "C3 3F C4") << filler;
        EXPECT_EQ(ToHex(LoadFileRootText("<?xml version='1.0'?>\n" + std::string(filler, ' ') + "<a>\xC3\x84</a>")), "C4");
    }
}

TEST(XmlEncodingDeclaration, EveryTableNameIsAcceptedInAnyCase) {
    ASSERT_EQ(XmlCodePages.size(), 23u);
    for (const auto& entry : XmlCodePages) {
        std::string lower(entry.Name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(FindXmlCodePage(entry.Name), entry.CodePage);
        EXPECT_EQ(FindXmlCodePage(lower), entry.CodePage);
        EXPECT_EQ(LoadXmlError("<?xml version='1.0' encoding='" + lower + "'?><a>x</a>"), "") << lower;
    }
    for (const char* name : {"UTF-16", "ISO-8859-10", " UTF-8", "latin 1", "cp1259", "ISO_8859-16"})
        EXPECT_EQ(FindXmlCodePage(name), 0) << name;
}

TEST(XmlEncodingDeclaration, UsualOtherNamesOfTheSameEncodings) {
    // Names from the IANA character set registry and common tools; US-ASCII is read as UTF-8, its superset.
    const struct {
        const char* Name;
        std::uint16_t CodePage;
    } cases[] = {{"US-ASCII", 65001},   {"ascii", 65001},     {"ANSI_X3.4-1968", 65001}, {"utf8", 65001},
                 {"Latin1", 28591},     {"ISO_8859-1", 28591}, {"iso8859-1", 28591},     {"l2", 28592},
                 {"cyrillic", 28595},   {"latin5", 28599},    {"Latin-9", 28605},        {"CP1252", 1252},
                 {"x-cp1250", 1250},    {"csKOI8R", 20866},   {"ISO_8859-7:1987", 28597}};
    for (const auto& entry : cases) {
        EXPECT_EQ(FindXmlCodePage(entry.Name), entry.CodePage) << entry.Name;
        EXPECT_EQ(LoadXmlError(std::string("<?xml version='1.0' encoding='") + entry.Name + "'?><a>x</a>"), "")
            << entry.Name;
    }
    TCodePageScope codePage(65001);
    EXPECT_EQ(ToHex(LoadFileRootText("<?xml version='1.0' encoding='latin1'?><a>\xC4</a>")), "C3 84");
}

TEST(XmlEncodingDeclaration, ASecondDeclarationAppliesFromTheNextBlock) {
    TCodePageScope codePage(65001);
    // The first block after the first declaration holds the second one and
    // <a>; <b> lies beyond it.
    std::string text = "<?xml version='1.0' encoding='windows-1250'?>\n<r><?xml version='1.0' encoding='KOI8-R'?>"
                       "<a>\xF0</a><f>" +
                       std::string(20000, 'x') + "</f><b>\xF0</b></r>";
    auto root = LoadXmlText(text)->GetDocumentElement();
    EXPECT_EQ(root->GetValue("a").AsText(), "\xC4\x91");  // windows-1250: d with stroke
    EXPECT_EQ(root->GetValue("b").AsText(), "\xD0\x9F");  // KOI8-R: Cyrillic Pe
}

TEST(XmlEncodingConversion, Windows1250AndKoi8rIntoSeveralCodePages) {
    // S caron, s caron, c caron, r caron, A acute, e acute, euro sign
    const Bytes windows1250 = "\x8A\x9A\xE8\xF8\xC1\xE9\x80";
    // the Russian word for "hello"
    const Bytes koi8r = "\xF0\xD2\xC9\xD7\xC5\xD4";
    struct Case {
        const char* Encoding;
        Bytes Input;
        std::uint16_t CodePage;
        Bytes Expected;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"windows-1250", windows1250, 1250, windows1250},
             {"windows-1250", windows1250, 1252, "\x8A\x9A??\xC1\xE9\x80"},
             {"windows-1250", windows1250, 65001, Hex("C5 A0 C5 A1 C4 8D C5 99 C3 81 C3 A9 E2 82 AC")},
             {"KOI8-R", koi8r, 1250, "??????"},
             {"KOI8-R", koi8r, 1252, "??????"},
             {"KOI8-R", koi8r, 1251, Hex("CF F0 E8 E2 E5 F2")},
             {"KOI8-R", koi8r, 65001, Hex("D0 9F D1 80 D0 B8 D0 B2 D0 B5 D1 82")},
         }) {
        TCodePageScope codePage(c.CodePage);
        Bytes file = std::string("<?xml version=\"1.0\" encoding=\"") + c.Encoding + "\"?>\n<gpx><wpt name='" + c.Input +
                     "'><name>" + c.Input + "</name></wpt></gpx>";
        TempDir folder;
        WriteFile(folder / "in.gpx", file);
        auto document = CreateXmlDocument();
        document->LoadFromFile((folder / "in.gpx").string());
        auto wpt = document->GetDocumentElement()->SelectElement("wpt");
        EXPECT_EQ(ToHex(wpt->GetValue("name").AsText()), ToHex(c.Expected)) << c.Encoding << " to " << c.CodePage;
        EXPECT_EQ(ToHex(wpt->GetValue("@name").AsText()), ToHex(c.Expected)) << c.Encoding << " to " << c.CodePage;
    }
}

TEST(XmlEncodingConversion, EightBitTextIntoUtf8IsNeitherCutNorOverflowing) {
    TCodePageScope codePage(65001);
    struct Case {
        const char* Encoding;
        std::string Byte;
        std::string Utf8;
    };
    for (const auto& c : std::initializer_list<Case>{{"KOI8-R", "\xF0", "\xD0\x9F"},
                                                       {"windows-1250", "\x80", "\xE2\x82\xAC"}}) {
        // 50000 characters: several blocks, each tripling or doubling in size
        std::string text = std::string("<?xml version='1.0' encoding='") + c.Encoding + "'?><a>" +
                           Repeat(c.Byte, 50000) + "</a>";
        std::string read = LoadFileRootText(text);
        EXPECT_EQ(read.size(), c.Utf8.size() * 50000) << c.Encoding;
        EXPECT_EQ(read, Repeat(c.Utf8, 50000)) << c.Encoding;
    }
}

TEST(XmlEncodingConversion, Utf8SequencesStraddlingTheBlockBoundary) {
    // e acute, euro sign, grinning face: 2, 3 and 4 bytes
    const std::string pattern = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    for (std::size_t shift = 0; shift < pattern.size(); ++shift) {
        std::string body = std::string(shift, 'x') + Repeat(pattern, 4000);
        std::string text = "<?xml version='1.0' encoding='UTF-8'?>\n<a>" + body + "</a>";
        {
            TCodePageScope codePage(65001);
            EXPECT_EQ(LoadFileRootText(text), body) << shift;
        }
        {
            TCodePageScope codePage(1252);
            EXPECT_EQ(LoadFileRootText(text), std::string(shift, 'x') + Repeat("\xE9\x80?", 4000)) << shift;
        }
    }
}

TEST(XmlEncodingConversion, MultiByteWorkingCodePage) {
    TCodePageScope codePage(932);
    EXPECT_EQ(ToHex(RootText("<?xml version='1.0'?><a>\xE6\x97\xA5\xE6\x9C\xAC \xC3\xA9</a>")), "93 FA 96 7B 20 3F");
}

TEST(XmlEncodingConversion, AWorkingCodePageIconvLacksIsReported) {
    TCodePageScope codePage(12345);
    EXPECT_EQ(LoadXmlError("<?xml version='1.0'?><a/>"), "Code page 12345 is not supported by KestroXML");
    EXPECT_EQ(LoadXmlError("<a>plain</a>"), "");  // nothing to convert before a declaration
}

TEST(XmlEncodingUtf8, OwnDecoder) {
    struct Case {
        Bytes Input;
        std::u16string Units;
        std::size_t Consumed;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"A", u"A", 1},
             {Hex("C3 A9"), u"\u00E9", 2},
             {Hex("C0 80"), std::u16string(1, u'\0'), 2},  // overlong forms are accepted
             {Hex("C3 41"), u"?A", 2},                     // a lead cut short is one "?"
             {Hex("F0 9F 98 C3 A9"), u"?\u00E9", 5},       // ... and the next lead starts afresh
             {Hex("E2 82 AC"), u"\u20AC", 3},
             {Hex("ED A0 80"), u"\xD800", 3},              // a lone surrogate unit
             {Hex("F0 9F 98 80"), u"\U0001F600", 4},
             {Hex("F4 90 80 80"), u"?", 4},                // beyond U+10FFFF
             {Hex("F0 8D A0 80"), u"?", 4},                // a surrogate in four bytes
             {Hex("80 BF F8 FF"), u"????", 4},             // bytes that start no sequence
             {Hex("41 E2 82"), u"A", 1},                   // an incomplete sequence is left over
             {Hex("41 F0 9F 98"), u"A", 1},
             {Hex("C3"), u"", 0},
         }) {
        char16_t units[16];
        std::size_t count = 0;
        std::size_t consumed =
            DecodeXmlUtf8(reinterpret_cast<const unsigned char*>(c.Input.data()), c.Input.size(), units, 16, count);
        EXPECT_EQ(std::u16string(units, count), c.Units) << ToHex(c.Input);
        EXPECT_EQ(consumed, c.Consumed) << ToHex(c.Input);
    }
    // a four-byte sequence needs room for two units
    char16_t units[1];
    std::size_t count = 0;
    EXPECT_EQ(DecodeXmlUtf8(reinterpret_cast<const unsigned char*>("\xF0\x9F\x98\x80"), 4, units, 1, count), 0u);
}

TEST(XmlEncodingUtf8, UnitsIntoTheWorkingCodePage) {
    TCodePageScope codePage(65001);
    struct Case {
        Bytes Input;
        Bytes Expected;
    };
    for (const auto& c : std::initializer_list<Case>{
             {Hex("ED A0 80"), "?"},                               // a lone surrogate
             {Hex("ED A0 BD ED B8 80"), Hex("F0 9F 98 80")},       // a pair of surrogate units is one character
             {Hex("C1 81"), "A"},                                  // an overlong "A"
             {Hex("FF"), "?"},
         }) {
        EXPECT_EQ(ToHex(RootText("<?xml version='1.0'?><a>" + c.Input + "</a>")), ToHex(c.Expected));
    }
}

TEST(XmlEncodingUtf8, ALeadCutShortIsOneQuestionMarkAndReadingGoesOn) {
    // Every point at which a 2-, 3- or 4-byte sequence can be cut, followed
    // by a blank, by the "<" of the end tag, by a new lead, or by the end of
    // input; placed anywhere, across the boundary of the blocks read too.
    TCodePageScope codePage(65001);
    const std::string declaration = "<?xml version='1.0'?>\n<a>";
    for (const char* cut : {"C3", "E2", "E2 82", "F0", "F0 9F", "F0 9F 98"}) {
        std::vector<std::size_t> paddings{0};
        for (std::size_t pad = TXmlSource::BlockSize - 40; pad < TXmlSource::BlockSize + 8; ++pad) paddings.push_back(pad);
        for (std::size_t pad : paddings) {
            const std::string filler(pad, 'x');
            for (const char* after : {" b", "\xC3\xA9"}) {
                EXPECT_EQ(RootText(declaration + filler + Hex(cut) + after + "</a>"), filler + "?" + after)
                    << cut << " after " << pad;
            }
            EXPECT_EQ(RootText(declaration + filler + Hex(cut) + "</a>"), filler + "?") << cut << " after " << pad;
            auto document = LoadXmlText(declaration + filler + "</a>" + Hex(cut));
            ASSERT_EQ(document->GetChildNodes()->GetCount(), 3) << cut << " after " << pad;
            EXPECT_EQ(document->GetChildNodes()->GetItem(2)->GetText(), "?") << cut << " at the end after " << pad;
        }
    }
}

TEST(XmlEncodingUtf8, Windows1252BytesInAFileDeclaredUtf8) {
    TCodePageScope codePage(1252);
    EXPECT_EQ(RootText("<?xml version='1.0' encoding='UTF-8'?><name>Caf\xE9 bar</name>"), "Caf? bar");
    EXPECT_EQ(RootText("<?xml version='1.0' encoding='UTF-8'?><name>Caf\xE9</name>"), "Caf?");
    // an error after such a byte points at the token where it is, not two bytes further on
    EXPECT_EQ(LoadXmlError("<?xml version='1.0'?><r><n>\xE9</m></r>"), "Text \"n\" expected at [1:31]");
}

TEST(XmlEncodingTables, EncodersHoldOnlyWhatTheCodePageHas) {
    const char16_t units[] = {u'A', u'\u00E9', u'\u0160', u'\u20AC', u'\u0416', 0xD83D, 0xDE00};
    char out[sizeof units / sizeof units[0] * TXmlEncoder::MaxBytesPerUnit];
    struct Case {
        std::uint16_t CodePage;
        const char* Expected;
    };
    for (auto c : std::initializer_list<Case>{{1252, "41 E9 8A 80 3F 3F"},
                                              {1250, "41 E9 8A 80 3F 3F"},
                                              {1251, "41 3F 3F 88 C6 3F"},
                                              {28591, "41 E9 3F 3F 3F 3F"},
                                              {28605, "41 E9 A6 A4 3F 3F"},
                                              {20866, "41 3F 3F 3F F6 3F"},
                                              {0, "41 E9 8A 80 3F 3F"}}) {
        std::size_t size = TXmlEncoder::For(c.CodePage).Encode(units, 7, out);
        EXPECT_EQ(ToHex(std::string(out, size)), c.Expected) << c.CodePage;
    }
}

}  // namespace
}  // namespace kestro::test
