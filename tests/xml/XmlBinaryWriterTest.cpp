// The binary XML writer: its byte layout, the count forms it chooses, round
// trips of every node kind and value type through every loading entry, and
// the trees it refuses rather than write changed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "XmlBinaryTestSupport.h"
#include "xml/XmlBinaryWriter.h"
#include "xml/XmlElement.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"

namespace kestro::test {
namespace {

// Values are the same when of one type and equal; floating-point ones by
// their bits, so that NaN compares too.
bool SameValue(const TXmlVariant& a, const TXmlVariant& b) {
    if (a.Type() != b.Type()) return false;
    if (a.Type() == TXmlVarType::Single || a.Type() == TXmlVarType::Double || a.Type() == TXmlVarType::Date) {
        double x = a.FloatValue();
        double y = b.FloatValue();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    return a == b;
}

// Compares two trees node by node, through the library's own objects.
void ExpectSameTree(TXmlNode& a, TXmlNode& b, const std::string& path = "/") {
    ASSERT_EQ(a.Kind, b.Kind) << path;
    ASSERT_EQ(a.GetNodeName(), b.GetNodeName()) << path;
    ASSERT_EQ(a.AttrCount, b.AttrCount) << path;
    for (std::int32_t i = 0; i < a.AttrCount; ++i) {
        EXPECT_EQ(a.NameTable->NameOf(a.Attrs[i].Name), b.NameTable->NameOf(b.Attrs[i].Name)) << path << " @" << i;
        EXPECT_TRUE(SameValue(a.Attrs[i].Value, b.Attrs[i].Value)) << path << " @" << i;
    }
    switch (a.Kind) {
        case TXmlNodeType::Element:
            EXPECT_TRUE(SameValue(a.GetNodeValue(), b.GetNodeValue())) << path;
            break;
        case TXmlNodeType::Text:
            EXPECT_TRUE(SameValue(static_cast<TXmlText&>(a).Value, static_cast<TXmlText&>(b).Value)) << path;
            break;
        case TXmlNodeType::CDATASection:
        case TXmlNodeType::Comment:
        case TXmlNodeType::ProcessingInstruction: EXPECT_EQ(a.GetText(), b.GetText()) << path; break;
        default: break;
    }
    std::size_t count = a.ChildList ? a.ChildList->Items.size() : 0;
    ASSERT_EQ(count, b.ChildList ? b.ChildList->Items.size() : 0) << path;
    for (std::size_t i = 0; i < count; ++i)
        ExpectSameTree(*a.ChildList->Items[i], *b.ChildList->Items[i], path + a.GetNodeName() + "/" + std::to_string(i));
}

void ExpectSameDocument(const TXmlPtr<IXmlDocument>& a, const TXmlPtr<IXmlDocument>& b, const std::string& label) {
    SCOPED_TRACE(label);
    ExpectSameTree(*XmlNodeOf(a.Get()), *XmlNodeOf(b.Get()));
}

std::vector<TXmlVariant> EveryValueType() {
    return {TXmlVariant(),
            TXmlVariant::MakeNull(),
            TXmlVariant::FromInt(-300, TXmlVarType::SmallInt),
            TXmlVariant::FromInt(-70000, TXmlVarType::Integer),
            TXmlVariant::FromFloat(1.5, TXmlVarType::Single),
            TXmlVariant::FromFloat(-INFINITY, TXmlVarType::Single),
            TXmlVariant::FromFloat(-2.25e300),
            TXmlVariant::FromFloat(std::numeric_limits<double>::quiet_NaN()),
            TXmlVariant::FromInt(125000, TXmlVarType::Currency),
            TXmlVariant::FromDateTime(45000.75),
            TXmlVariant::FromWide(u"\u00E9\u20AC\U0001F600"),
            TXmlVariant::FromBool(true),
            TXmlVariant::FromBool(false),
            TXmlVariant::FromInt(-5, TXmlVarType::ShortInt),
            TXmlVariant::FromInt(200, TXmlVarType::Byte),
            TXmlVariant::FromInt(60000, TXmlVarType::Word),
            TXmlVariant::FromInt(4000000000, TXmlVarType::LongWord),
            TXmlVariant::FromInt(std::numeric_limits<std::int64_t>::min()),
            TXmlVariant("text \xE9 in the working code page"),
            TXmlVariant(""),
            TXmlVariant::FromBytes(std::string_view("\0\x01\xFF", 3))};
}

// A document with every node kind, every value type as attribute, own value
// and text node value, names beyond ASCII, and attributes of the document.
TXmlPtr<IXmlDocument> RichDocument() {
    auto document = CreateXmlDocument("gpx", "1.0", "UTF-8");
    document->SetVarAttr("docattr", TXmlVariant("d"));
    document->AppendChild(TXmlPtr<IXmlNode>(document->CreateComment(" before the root ").Get()));
    document->AppendChild(TXmlPtr<IXmlNode>(document->CreateProcessingInstruction("style", "href='a.css'").Get()));
    auto root = document->GetDocumentElement();
    auto values = EveryValueType();
    for (std::size_t i = 0; i < values.size(); ++i) {
        root->SetVarAttr("a" + std::to_string(i), values[i]);
        auto leaf = root->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("v" + std::to_string(i)).Get()));
        leaf->SetNodeValue(values[i]);
        root->AppendChild(TXmlPtr<IXmlNode>(document->CreateText(values[i]).Get()));
    }
    auto wpt = root->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("wpt").Get()));
    wpt->SetVarAttr("lat", TXmlVariant("48.1"));
    auto name = wpt->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("n\xC3\xA1zov").Get()));
    name->AppendChild(TXmlPtr<IXmlNode>(document->CreateText(TXmlVariant("K\xC3\xB6ln")).Get()));
    name->AppendChild(TXmlPtr<IXmlNode>(document->CreateComment("").Get()));
    name->AppendChild(TXmlPtr<IXmlNode>(document->CreateCDATASection(" x ]]> <y> ").Get()));
    auto extensions = wpt->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("extensions").Get()));
    auto deep = extensions->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("gpxx:WaypointExtension").Get()));
    deep->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("gpxx:Proximity").Get()))->SetText("400");
    deep->AppendChild(TXmlPtr<IXmlNode>(document->CreateProcessingInstruction("pi", "").Get()));
    wpt->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("empty").Get()));
    // Elements and attributes without a name are kept as such.
    wpt->AppendChild(TXmlPtr<IXmlNode>(document->CreateElementById(nullptr).Get()));
    auto instruction = XmlNodeOf(document->GetChildNodes()->GetItem(0).Get());
    instruction->SetAttr(nullptr, TXmlVariant("nameless"));
    return document;
}

TEST(XmlBinaryWriter, LayoutOfASmallDocument) {
    auto document = CreateXmlDocument();
    auto root = document->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("a").Get()));
    root->SetVarAttr("b", TXmlVariant("c"));
    root->AppendChild(TXmlPtr<IXmlNode>(document->CreateComment("d").Get()));
    EXPECT_EQ(ToHex(document->GetBinaryXml()),
              ToHex(BinDocument(Hex("00 00 00 00"  // options
                                    "02 01 61 01 62"  // names a, b
                                    "00 01"  // no attributes, one child
                                    "01 61 00 01 62 81 00 01 63 01"  // <a b="c">, empty own value
                                    "05 01 64"))));  // <!--d-->
    TBinXmlWriter wide(true);
    EXPECT_EQ(ToHex(wide.Write(*XmlNodeOf(document.Get()))),
              ToHex(BinDocument(Hex("01 00 00 00"
                                    "02 01 61 00 01 62 00"
                                    "00 01"
                                    "01 61 00 01 62 81 00 01 63 01"  // values stay UTF-8
                                    "05 01 64 00"))));
}

TEST(XmlBinaryWriter, CountForms) {
    // The two-byte form is used up to 32511; beyond, the five-byte form.
    struct Case {
        std::size_t value;
        const char* count;
    };
    for (auto c : std::initializer_list<Case>{{0, "00"},
                                              {127, "7F"},
                                              {128, "80 80"},
                                              {300, "81 2C"},
                                              {32511, "FE FF"},
                                              {32512, "FF 00 7F 00 00"},
                                              {32768, "FF 00 80 00 00"},
                                              {70000, "FF 70 11 01 00"}}) {
        auto document = CreateXmlDocument();
        document->AppendChild(TXmlPtr<IXmlNode>(document->CreateText(TXmlVariant(std::string(c.value, 'x'))).Get()));
        Bytes expected = BinDocument(Hex("00 00 00 00 00 00 01 02 81 00") + Hex(c.count) + Bytes(c.value, 'x'));
        Bytes written = document->GetBinaryXml();
        EXPECT_EQ(ToHex(written.substr(0, 40)), ToHex(expected.substr(0, 40))) << c.value;
        EXPECT_EQ(written, expected) << c.value;
        auto loaded = CreateXmlDocument();
        loaded->LoadBinaryXml(written);
        EXPECT_EQ(loaded->GetChildNodes()->GetItem(0)->GetText().size(), c.value);
    }
}

TEST(XmlBinaryWriter, RoundTripThroughEveryEntry) {
    TempDir dir;
    auto original = RichDocument();
    const Bytes bytes = original->GetBinaryXml();
    const std::string file = (dir / "rich.bin").string();
    original->SaveBinaryToFile(file);
    EXPECT_EQ(ReadFile(file), bytes);
    std::ostringstream saved;
    original->SaveBinaryToStream(saved);
    EXPECT_EQ(saved.str(), bytes);

    struct Entry {
        const char* label;
        std::function<void(IXmlDocument&)> load;
    };
    for (const auto& entry : std::initializer_list<Entry>{
             {"LoadBinaryXml", [&](IXmlDocument& d) { d.LoadBinaryXml(bytes); }},
             {"LoadXML", [&](IXmlDocument& d) { d.LoadXML(bytes); }},
             {"LoadFromStream",
              [&](IXmlDocument& d) {
                  std::istringstream stream(bytes);
                  d.LoadFromStream(stream);
              }},
             {"LoadFromFile", [&](IXmlDocument& d) { d.LoadFromFile(file); }},
             {"UTF-16 strings", [&](IXmlDocument& d) { d.LoadBinaryXml(TBinXmlWriter(true).Write(*XmlNodeOf(original.Get()))); }},
         }) {
        auto loaded = CreateXmlDocument();
        entry.load(*loaded);
        ExpectSameDocument(original, loaded, entry.label);
        // Written again, the loaded tree gives the same bytes.
        EXPECT_EQ(loaded->GetBinaryXml(), bytes) << entry.label;
    }
}

TEST(XmlBinaryWriter, RoundTripOfATextDocument) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE gpx><gpx xmlns=\"http://www.topografix.com/GPX/1/1\">"
        "<wpt lat=\"48.1\" lon=\"17.1\"><name> A &amp; B </name><desc><![CDATA[<b>bold</b>]]></desc>"
        "<?pi data?><!-- note --><extensions><gpxx:WaypointExtension><gpxx:Proximity>400</gpxx:Proximity>"
        "</gpxx:WaypointExtension></extensions></wpt></gpx>";
    for (bool preserve : {false, true}) {
        auto original = LoadXmlText(text, preserve);
        auto loaded = CreateXmlDocument();
        loaded->SetPreserveWhiteSpace(preserve);  // an option of the document, not part of the form
        loaded->LoadBinaryXml(original->GetBinaryXml());
        ExpectSameDocument(original, loaded, preserve ? "preserved" : "trimmed");
        EXPECT_EQ(loaded->GetXml(), original->GetXml());
    }
}

TEST(XmlBinaryWriter, NestingUpToTheReadersLimit) {
    for (int depth : {MaxXmlNestingDepth, MaxXmlNestingDepth + 1}) {
        auto document = CreateXmlDocument();
        TXmlPtr<IXmlNode> node(document.Get());
        for (int i = 0; i < depth; ++i) node = node->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("a").Get()));
        if (depth > MaxXmlNestingDepth) {
            EXPECT_EQ(LoadMessage([&] { document->GetBinaryXml(); }),
                      Format("Elements are nested deeper than %d levels", MaxXmlNestingDepth));
            continue;
        }
        auto loaded = CreateXmlDocument();
        loaded->LoadBinaryXml(document->GetBinaryXml());
        ExpectSameDocument(document, loaded, "deepest");
    }
}

TEST(XmlBinaryWriter, TreesTheFormCannotHoldAreRefused) {
    struct Case {
        const char* label;
        std::function<void(IXmlDocument&)> build;
        std::string message;
    };
    const std::string collision = "Names \"aa0\" and \"abo\" have the same hash; binary XML cannot hold both";
    for (const auto& c : std::initializer_list<Case>{
             {"colliding names",
              [](IXmlDocument& d) { d.AppendChild(TXmlPtr<IXmlNode>(d.CreateElement("aa0").Get()))->SetVarAttr("abo", TXmlVariant("1")); },
              collision},
             {"name colliding with a predefined one",
              [](IXmlDocument& d) { d.AppendChild(TXmlPtr<IXmlNode>(d.CreateElement("xl-").Get())); },
              "Names \"xml\" and \"xl-\" have the same hash; binary XML cannot hold both"},
             {"attribute of a text node",
              [](IXmlDocument& d) { d.AppendChild(TXmlPtr<IXmlNode>(d.CreateText(TXmlVariant("t")).Get()))->SetVarAttr("x", TXmlVariant("1")); },
              "Binary XML cannot hold attributes or children of a #text node"},
             {"child of a comment",
              [](IXmlDocument& d) {
                  d.AppendChild(TXmlPtr<IXmlNode>(d.CreateComment("c").Get()))
                      ->AppendChild(TXmlPtr<IXmlNode>(d.CreateElement("e").Get()));
              },
              "Binary XML cannot hold attributes or children of a #comment node"},
             {"document inside the tree",
              [](IXmlDocument& d) {
                  d.AppendChild(TXmlPtr<IXmlNode>(d.CreateElement("e").Get()))
                      ->AppendChild(TXmlPtr<IXmlNode>(CreateXmlDocument().Get()));
              },
              "Binary XML has no record for a node of type 6"},
         }) {
        auto document = CreateXmlDocument();
        c.build(*document);
        EXPECT_EQ(LoadMessage([&] { document->GetBinaryXml(); }), c.message) << c.label;
    }
}

TEST(XmlBinaryWriter, Utf16FormNeedsUtf8Text) {
    auto document = CreateXmlDocument();
    document->AppendChild(TXmlPtr<IXmlNode>(document->CreateCDATASection("caf\xE9").Get()));  // Windows-1252
    EXPECT_EQ(LoadMessage([&] { TBinXmlWriter(true).Write(*XmlNodeOf(document.Get())); }),
              "Text that is not UTF-8 cannot be written as UTF-16");
    // The UTF-8 form keeps the bytes as they are.
    auto loaded = CreateXmlDocument();
    loaded->LoadBinaryXml(document->GetBinaryXml());
    EXPECT_EQ(loaded->GetChildNodes()->GetItem(0)->GetText(), "caf\xE9");
}

TEST(XmlBinaryWriter, OutputErrors) {
    TempDir dir;
    auto document = LoadXmlText("<a/>");
    try {
        document->SaveBinaryToFile((dir / "missing" / "a.bin").string());
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.ClassName(), "EFCreateError");
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"", 0), 0u) << error.what();
    }
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    try {
        document->SaveBinaryToStream(broken);
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.ClassName(), "EWriteError");
    }
    // A refused tree leaves an existing file as it was.
    const auto file = dir / "kept.bin";
    WriteFile(file, "old");
    document->GetDocumentElement()->SetVarAttr("aa0", TXmlVariant("1"));
    document->GetDocumentElement()->SetVarAttr("abo", TXmlVariant("2"));
    EXPECT_THROW(document->SaveBinaryToFile(file.string()), Exception);
    EXPECT_EQ(ReadFile(file), "old");
}

}  // namespace
}  // namespace kestro::test
