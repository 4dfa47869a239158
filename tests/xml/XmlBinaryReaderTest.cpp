// The binary XML reader on documents written byte by byte: the count
// encodings, strings, every value type, node records, name keys, the loading
// entries and their dispatch, and the errors of bad input.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "XmlBinaryTestSupport.h"
#include "xml/XmlNode.h"

namespace kestro::test {
namespace {

// One child: a text node holding a value of type 256 with the given length
// count bytes and that many "x".
Bytes TextOfLength(const Bytes& lengthCount, std::size_t length) {
    return BinDocument({}, Hex("00 01 02") + BinCount(256) + lengthCount + Bytes(length, 'x'));
}

TEST(XmlBinaryReader, CountEncodings) {
    struct Case {
        const char* count;
        std::size_t value;
    };
    for (auto c : std::initializer_list<Case>{{"00", 0},
                                              {"7F", 127},
                                              {"80 80", 128},
                                              {"81 2C", 300},
                                              {"FE FF", 32511},
                                              {"FF 00 80 00 00", 32768},
                                              {"FF 03 00 00 00", 3},  // the long form of a small value
                                              {"80 05", 5}}) {
        Bytes bytes = TextOfLength(Hex(c.count), c.value);
        for (bool viaStream : {false, true}) {
            auto document = CreateXmlDocument();
            std::istringstream stream(bytes);
            if (viaStream)
                document->LoadFromStream(stream);
            else
                document->LoadBinaryXml(bytes);
            ASSERT_EQ(document->GetChildNodes()->GetCount(), 1) << c.count;
            EXPECT_EQ(document->GetChildNodes()->GetItem(0)->GetText(), std::string(c.value, 'x')) << c.count;
        }
    }
}

TEST(XmlBinaryReader, InputShorterThan15BytesIsNeverBinary) {
    TempDir dir;
    const Bytes signature(BinXmlSignature);
    WriteFile(dir / "short.xml", signature);
    // Read as text, the signature is a "<" followed by a blank.
    const std::string textError = "Name must start with letter or \"_\" at [1:2]";
    EXPECT_EQ(LoadMessage([&] { CreateXmlDocument()->LoadXML(signature); }), textError);
    EXPECT_EQ(StreamLoadError(signature), textError);
    EXPECT_EQ(LoadMessage([&] { CreateXmlDocument()->LoadFromFile((dir / "short.xml").string()); }), textError);
    // One byte more and it is binary, whose options are then missing.
    WriteFile(dir / "long.xml", signature + "x");
    EXPECT_EQ(LoadMessage([&] { CreateXmlDocument()->LoadXML(signature + "x"); }), "Error reading data");
    EXPECT_EQ(StreamLoadError(signature + "x"), "Error reading data");
    EXPECT_EQ(LoadMessage([&] { CreateXmlDocument()->LoadFromFile((dir / "long.xml").string()); }),
              "Error reading data");
    // LoadBinaryXml takes any input for binary.
    EXPECT_EQ(BinaryLoadError(""), "Error reading data");
    EXPECT_EQ(BinaryLoadError(signature), "Error reading data");
}

TEST(XmlBinaryReader, SignatureIsNotTestedByLoadBinaryXml) {
    Bytes bytes = BinDocument({"a"}, Hex("00 01 01") + BinKey("a") + Hex("00 00 00"));
    bytes.replace(0, 14, "not-a-signatu!");
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(bytes);
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "a");
}

TEST(XmlBinaryReader, NameKeysResolveToTheFirstNameWithTheirHash) {
    ASSERT_EQ(TXmlNameTable::Hash("aa0"), TXmlNameTable::Hash("abo"));
    struct Case {
        std::initializer_list<std::string_view> names;
        const char* key;
        const char* expected;
    };
    for (auto c : std::initializer_list<Case>{{{"aa0", "abo"}, "abo", "aa0"},
                                              {{"abo", "aa0"}, "aa0", "abo"},
                                              {{"abo", "aa0"}, "abo", "abo"},
                                              // the predefined names are always known
                                              {{}, "xml", "xml"},
                                              {{}, "encoding", "encoding"},
                                              // a key without a name gives no name
                                              {{"a"}, "b", ""}}) {
        auto document = CreateXmlDocument();
        document->LoadBinaryXml(BinDocument(c.names, Hex("00 01 01") + BinKey(c.key) + Hex("00 00 00")));
        auto root = document->GetDocumentElement();
        EXPECT_EQ(root->GetNodeName(), c.expected) << c.key;
        EXPECT_EQ(root->GetNodeNameId(), document->GetNameTable()->Intern(c.expected)) << c.key;
    }
}

TEST(XmlBinaryReader, PredefinedNamesComeFirst) {
    // "xl-" has the hash of "xml": its key finds the predefined name.
    ASSERT_EQ(TXmlNameTable::Hash("xl-"), TXmlNameTable::Hash("xml"));
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(BinDocument({"xl-"}, Hex("00 01 01") + BinKey("xl-") + Hex("00 00 00")));
    auto node = document->GetDocumentElement();
    EXPECT_EQ(node->GetNodeName(), "xml");
    EXPECT_EQ(node->GetNodeNameId(), XmlNodeOf(node.Get())->NameTable->XmlName);
}

// A gpx element holding two wpt elements with a lat attribute.
Bytes BinaryGpx() {
    Bytes wpt = Hex("01") + BinKey("wpt") + Hex("00 01") + BinKey("lat") + BinCount(256) + BinUtf8("48.1") + Hex("00");
    return BinDocument({"gpx", "wpt", "lat"}, Hex("00 01 01") + BinKey("gpx") + Hex("00 00 02") + wpt + wpt);
}

TEST(XmlBinaryReader, BinaryFileBuildsTheTreeAndCallsNoHandler) {
    TempDir dir;
    WriteFile(dir / "points.gpx", BinaryGpx());
    WriteFile(dir / "points-text.gpx", "<gpx><wpt lat='48.1'/><wpt lat='48.1'/></gpx>");
    for (const char* file : {"points.gpx", "points-text.gpx"}) {
        auto document = CreateXmlDocument();
        int begins = 0;
        int ends = 0;
        document->SetOnElementBegin([&](IXmlNodeList*, const TXmlPtr<IXmlNode>&) { ++begins; });
        document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
            if (node->GetNodeName() == "wpt") ++ends;
        });
        document->LoadFromFile((dir / file).string());
        bool binary = std::string(file) == "points.gpx";
        EXPECT_EQ(ends, binary ? 0 : 2) << file;
        EXPECT_EQ(begins, binary ? 0 : 3) << file;
        auto points = document->GetDocumentElement()->SelectElements("wpt");
        ASSERT_EQ(points->GetCount(), 2) << file;
        EXPECT_EQ(points->GetItem(1)->GetValue("@lat").AsText(), "48.1") << file;
    }
}

TEST(XmlBinaryReader, LoadXmlAndStreamsDispatchToTheBinaryReader) {
    const Bytes bytes = BinaryGpx();
    auto viaText = CreateXmlDocument();
    viaText->LoadXML(bytes);
    EXPECT_EQ(viaText->GetDocumentElement()->SelectElements("wpt")->GetCount(), 2);
    // A stream is read from its current position.
    std::istringstream stream("ignored" + bytes);
    stream.seekg(7);
    auto viaStream = CreateXmlDocument();
    viaStream->LoadFromStream(stream);
    EXPECT_EQ(viaStream->GetDocumentElement()->SelectElements("wpt")->GetCount(), 2);
}

TEST(XmlBinaryReader, WideTextValueStaysWideUntilReadAsText) {
    TCodePageScope scope(1252);  // strings of the form become UTF-8 whatever the working code page
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(BinDocument({}, Hex("00 01 02 08 02 E9 00 AC 20")));
    auto text = document->GetChildNodes()->GetItem(0);
    TXmlVariant value = text->GetNodeValue();
    EXPECT_EQ(value.Type(), TXmlVarType::OleStr);
    EXPECT_EQ(value.WideText(), u"\u00E9\u20AC");
    EXPECT_EQ(text->GetDataType(), TXmlVarType::OleStr);
    EXPECT_EQ(text->GetText(), "\xC3\xA9\xE2\x82\xAC");
}

TEST(XmlBinaryReader, EveryValueType) {
    struct Case {
        const char* payload;  // type code and payload
        TXmlVarType type;
        const char* text;
    };
    for (auto c : std::initializer_list<Case>{
             {"00", TXmlVarType::Empty, ""},
             {"01", TXmlVarType::Null, ""},
             {"02 FE FF", TXmlVarType::SmallInt, "-2"},
             {"03 00 00 00 80", TXmlVarType::Integer, "-2147483648"},
             {"04 00 00 C0 3F", TXmlVarType::Single, "1.5"},
             {"05 00 00 00 00 00 00 02 40", TXmlVarType::Double, "2.25"},
             {"06 48 E8 01 00 00 00 00 00", TXmlVarType::Currency, "12.5"},
             {"06 B8 17 FE FF FF FF FF FF", TXmlVarType::Currency, "-12.5"},
             {"07 00 00 00 00 00 00 04 40", TXmlVarType::Date, "1900-01-01T12:00:00"},
             {"07 00 00 00 00 00 00 00 00", TXmlVarType::Date, "1899-12-30T00:00:00"},
             {"08 02 41 00 AC 20", TXmlVarType::OleStr, "A\xE2\x82\xAC"},
             {"0B FF FF", TXmlVarType::Boolean, "1"},
             {"0B 02 00", TXmlVarType::Boolean, "1"},
             {"0B 00 00", TXmlVarType::Boolean, "0"},
             {"10 FF", TXmlVarType::ShortInt, "-1"},
             {"11 FF", TXmlVarType::Byte, "255"},
             {"12 FF FF", TXmlVarType::Word, "65535"},
             {"13 FF FF FF FF", TXmlVarType::LongWord, "4294967295"},
             {"14 FE FF FF FF FF FF FF FF", TXmlVarType::Int64, "-2"},
             {"81 00 03 61 62 63", TXmlVarType::String, "abc"},
             {"81 00 00", TXmlVarType::String, ""},
             {"A0 11 03 00 41 42", TXmlVarType::ByteArray, ""},  // its bytes are compared below
         }) {
        auto document = CreateXmlDocument();
        document->LoadBinaryXml(
            BinDocument({"e", "v"}, Hex("00 01 01") + BinKey("e") + Hex("00 01") + BinKey("v") + Hex(c.payload) + Hex("00")));
        TXmlVariant value = document->GetDocumentElement()->GetValue("@v");
        EXPECT_EQ(value.Type(), c.type) << c.payload;
        if (c.type != TXmlVarType::ByteArray) {
            EXPECT_EQ(value.AsText(), c.text) << c.payload;
        }
    }
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(BinDocument({"v"}, Hex("01") + BinKey("v") + Hex("A0 11 03 00 41 42 00")));
    EXPECT_EQ(document->GetValue("@v").TextView(), std::string_view("\0AB", 3));
}

TEST(XmlBinaryReader, UnknownValueTypesAreRefused) {
    for (const char* code : {"09", "0A", "0C", "15", "7F", "81 01", "A0 12", "FF 01 01 00 00", "FF FF FF FF FF"})
        EXPECT_EQ(BinaryLoadError(BinDocument({}, Hex("00 01 02") + Hex(code) + Hex("00 00 00 00 00 00 00 00"))),
                  "Error reading value: incorrect type")
            << code;
}

TEST(XmlBinaryReader, NodeRecords) {
    Bytes body = Hex("01") + BinKey("version") + BinCount(256) + BinUtf8("1.0");  // a document attribute
    body += Hex("05");                                                          // five children
    body += Hex("04") + BinKey("xml") + BinUtf8("") + Hex("01") + BinKey("version") + BinCount(256) +
            BinUtf8("1.0") + Hex("00");
    body += Hex("05") + BinUtf8(" note ");
    body += Hex("04") + BinKey("pi") + BinUtf8("some data") + Hex("00 00");
    body += Hex("01") + BinKey("root") + BinCount(256) + BinUtf8("ignored while children exist") + Hex("00 03");
    body += Hex("02") + BinCount(256) + BinUtf8(" text ");
    body += Hex("03") + BinUtf8(" <cdata> ");
    body += Hex("01") + BinKey("leaf") + Hex("03 07 00 00 00") + Hex("00 00");  // own value: integer 7
    body += Hex("02 00");                                                       // an empty text node
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(BinDocument({"version", "pi", "root", "leaf"}, body));
    EXPECT_EQ(document->GetAttrCount(), 1);
    EXPECT_EQ(document->GetValue("@version").AsText(), "1.0");
    auto children = document->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 5);
    EXPECT_EQ(children->GetItem(0)->GetNodeName(), "xml");
    EXPECT_EQ(children->GetItem(0)->GetValue("@version").AsText(), "1.0");
    EXPECT_EQ(children->GetItem(1)->GetNodeType(), TXmlNodeType::Comment);
    EXPECT_EQ(children->GetItem(1)->GetText(), " note ");
    EXPECT_EQ(children->GetItem(2)->GetNodeName(), "pi");
    EXPECT_EQ(children->GetItem(2)->GetText(), "some data");
    EXPECT_EQ(children->GetItem(4)->GetNodeType(), TXmlNodeType::Text);
    auto root = document->GetDocumentElement();
    EXPECT_EQ(root->GetNodeName(), "root");
    EXPECT_EQ(root->GetText(), "text <cdata>");
    EXPECT_EQ(root->GetChildNodes()->GetItem(1)->GetNodeType(), TXmlNodeType::CDATASection);
    TXmlVariant leaf = root->GetValue("leaf");
    EXPECT_EQ(leaf.Type(), TXmlVarType::Integer);
    EXPECT_EQ(leaf.AsText(), "7");
}

TEST(XmlBinaryReader, WideStringsByOption) {
    // Options bit 0: names, CDATA, comment and instruction texts are UTF-16;
    // values of type 256 stay UTF-8.
    auto wide = [](std::u16string_view text) {
        Bytes bytes = BinCount(static_cast<std::uint32_t>(text.size()));
        for (char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        return bytes;
    };
    const std::string name = "\xC3\xA9t\xC3\xA9";  // "été"
    Bytes bytes = BinDocument(Hex("03 00 00 00 02") + wide(u"\u00E9t\u00E9") + wide(u"p") + Hex("00 04") +
                              Hex("01") + BinKey(name) + BinCount(256) + BinUtf8("\xC3\xA9") + Hex("00 00") +
                              Hex("03") + wide(u"\U0001F600") + Hex("05") + wide(u"\u20AC") + Hex("04") + BinKey("p") +
                              wide(u"d\u00E9") + Hex("00 00"));
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(bytes);
    auto children = document->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 4);
    EXPECT_EQ(children->GetItem(0)->GetNodeName(), name);
    EXPECT_EQ(children->GetItem(0)->GetText(), "\xC3\xA9");
    EXPECT_EQ(children->GetItem(1)->GetText(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(children->GetItem(2)->GetText(), "\xE2\x82\xAC");
    EXPECT_EQ(children->GetItem(3)->GetNodeName(), "p");
    EXPECT_EQ(children->GetItem(3)->GetText(), "d\xC3\xA9");
    // A lone surrogate becomes U+FFFD.
    document->LoadBinaryXml(BinDocument(Hex("01 00 00 00 00 00 01 03 01 00 D8")));
    EXPECT_EQ(document->GetChildNodes()->GetItem(0)->GetText(), "\xEF\xBF\xBD");
}

TEST(XmlBinaryReader, UnknownNodeTypesAreRefused) {
    for (const char* type : {"00", "06", "7F", "FF"})
        EXPECT_EQ(BinaryLoadError(BinDocument({}, Hex("00 01") + Hex(type) + Hex("00 00 00 00"))),
                  "Error reading binary XML: incorrect node-type")
            << type;
}

TEST(XmlBinaryReader, CountsBeyondTheInputAreRefused) {
    const Bytes twoBillion = Hex("FF 00 94 35 77");
    const Bytes all = Hex("FF FF FF FF FF");
    struct Case {
        const char* label;
        Bytes bytes;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"children", BinDocument({}, Hex("00") + twoBillion + Hex("05 00 05 00"))},
             {"children of an element", BinDocument({"a"}, Hex("00 01 01") + BinKey("a") + Hex("00 00") + all + Hex("02 00"))},
             {"attributes", BinDocument({"a"}, twoBillion + BinKey("a") + Hex("00"))},
             {"name table", BinDocument(Hex("00 00 00 00") + all + Hex("01 61 00"))},
             {"name length", BinDocument(Hex("00 00 00 00 01") + all + Hex("61 61"))},
             {"wide name length", BinDocument(Hex("01 00 00 00 01") + twoBillion + Hex("61 00"))},
             {"comment length", BinDocument({}, Hex("00 01 05") + twoBillion + Hex("61"))},
             {"text value length", BinDocument({}, Hex("00 01 02 81 00") + all + Hex("61"))},
             {"wide value length", BinDocument({}, Hex("00 01 02 08") + all + Hex("61 00"))},
             {"byte array length", BinDocument({}, Hex("00 01 02 A0 11") + twoBillion + Hex("61"))},
             {"payload", BinDocument({}, Hex("00 01 02 05 00 00 00"))},
             {"options", BinDocument(Hex("00 00"))},
         }) {
        EXPECT_EQ(BinaryLoadError(c.bytes), "Error reading data") << c.label;
        EXPECT_EQ(StreamLoadError(c.bytes), "Error reading data") << c.label;
    }
}

// Elements nested depth levels deep, innermost empty.
Bytes Nested(int depth) {
    Bytes body = Hex("00 01");
    for (int i = 1; i < depth; ++i) body += Hex("01") + BinKey("a") + Hex("00 00 01");
    body += Hex("01") + BinKey("a") + Hex("00 00 00");
    return BinDocument({"a"}, body);
}

TEST(XmlBinaryReader, NestingIsBoundedLikeText) {
    EXPECT_EQ(BinaryLoadError(Nested(MaxXmlNestingDepth)), "");
    EXPECT_EQ(BinaryLoadError(Nested(MaxXmlNestingDepth + 1)),
              Format("Elements are nested deeper than %d levels", MaxXmlNestingDepth));
    EXPECT_EQ(StreamLoadError(Nested(MaxXmlNestingDepth + 1)),
              Format("Elements are nested deeper than %d levels", MaxXmlNestingDepth));
    // The text reader draws the line at the same depth.
    std::string text;
    for (int i = 0; i < MaxXmlNestingDepth; ++i) text += "<a>";
    for (int i = 0; i < MaxXmlNestingDepth; ++i) text += "</a>";
    EXPECT_EQ(LoadXmlError(text), "");
    EXPECT_NE(LoadXmlError("<a>" + text + "</a>"), "");
}

TEST(XmlBinaryReader, NodesReadBeforeAnErrorStay) {
    auto document = CreateXmlDocument();
    Bytes bytes = BinDocument({"a"}, Hex("00 02 01") + BinKey("a") + Hex("00 00 00 09"));
    EXPECT_THROW(document->LoadBinaryXml(bytes), Exception);
    ASSERT_EQ(document->GetChildNodes()->GetCount(), 1);
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "a");
}

TEST(XmlBinaryReader, AttributesAreKeptAsStoredDuplicatesIncluded) {
    auto document = CreateXmlDocument();
    document->LoadBinaryXml(BinDocument({"a"}, Hex("03") + BinKey("a") + Hex("81 00 01 31") + BinKey("a") +
                                                   Hex("81 00 01 32") + BinKey("zz") + Hex("81 00 01 33") + Hex("00")));
    auto node = XmlNodeOf(document.Get());
    ASSERT_EQ(document->GetAttrCount(), 3);
    EXPECT_EQ(node->Attrs[1].Value.AsText(), "2");
    EXPECT_EQ(document->GetAttrNameId(2), nullptr);  // no name has that key
    EXPECT_EQ(document->GetValue("@a").AsText(), "1");
}

TEST(XmlBinaryReader, LoadReplacesContentAndKeepsNamesHeldElsewhere) {
    auto document = CreateXmlDocument();
    document->LoadXML("<old keep='1'><child/></old>");
    TXmlPtr<IXmlNode> old(document->GetDocumentElement().Get());
    TXmlNameId wpt = document->GetNameTable()->Intern("wpt");
    document->SetVarAttr("stale", TXmlVariant("x"));
    document->LoadBinaryXml(BinaryGpx());
    EXPECT_EQ(document->GetAttrCount(), 0);
    EXPECT_EQ(document->GetChildNodes()->GetCount(), 1);
    EXPECT_EQ(document->GetDocumentElement()->SelectElement("wpt")->GetNodeNameId(), wpt);
    // The element of the earlier load still has its names.
    EXPECT_EQ(old->GetNodeName(), "old");
    EXPECT_EQ(old->GetValue("@keep").AsText(), "1");
    EXPECT_NE(old->SelectElement("child"), nullptr);
}

}  // namespace
}  // namespace kestro::test
