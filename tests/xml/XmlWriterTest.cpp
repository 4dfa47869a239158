// The text writer: read-write-read round trips in 1250 and UTF-8, escaping,
// the encoding declaration, saving to streams and files, refusing trees the
// reader could not read back; and loading from program resources.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <sstream>
#include <vector>

#include "XmlTestSupport.h"
#include "XmlTreeDump.h"
#include "xml/XmlResources.h"

namespace kestro::test {
namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

// Text recoded between two iconv encodings (test inputs only).
std::string Recode(std::string_view text, const char* from, const char* to) {
    iconv_t converter = iconv_open(to, from);
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    std::string out(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* target = out.data();
    std::size_t outLeft = out.size();
    EXPECT_NE(iconv(converter, &in, &inLeft, &target, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

// Every node kind, attribute values with quotes, "<", "&", tabs and line
// breaks, a "]]>" split across two CDATA sections, and non-ASCII text.
// %ENCODING% is replaced by the declared encoding.
const char* const RichDocument =
    "<?xml version=\"1.0\" encoding=\"%ENCODING%\"?>\n"
    "<!-- head -->\n"
    "<?xml-stylesheet type=\"text/xsl\" href=\"style.xsl\"?>\n"
    // nothing between the document type and the root: the type gives no
    // node, and text on both sides of it would come back as one text
    "<!DOCTYPE gpx>"
    "<gpx creator='say \"hi\"' note=\"it's &lt;b&gt; &amp; co\" tab=\"a&#9;b\" lines=\"one&#10;two&#13;\">\n"
    "  <wpt lat=\"49.1\" lon=\"16.6\" city=\"Brno-\xC5\xBD\x61\x62ov\xC5\x99\x65sky\">\n"
    "    <name>  \xC5\xBDLU\xC5\xA4OU\xC4\x8CK\xC3\x9D k\xC5\xAF\xC5\x88  </name>\n"
    "    <desc><![CDATA[a]]]]><![CDATA[>b <raw> & ]]></desc>\n"
    "    <cmt>1 &lt; 2 &amp;&amp; 3 &gt; 2 \"q\" 'a' x]]&gt;y</cmt>\n"
    "    <empty/>\n"
    "    <mixed>one<!--c-->two<?pi data?>three<![CDATA[]]><?bare?></mixed>\n"
    "    <link href=\"a&amp;b?c=1\"/>\n"
    "  </wpt>\n"
    "  <extensions><gpxx:WaypointExtension><gpxx:Proximity>300</gpxx:Proximity></gpxx:WaypointExtension></extensions>\n"
    "</gpx>\n"
    "<!-- tail \xC3\xA9 -->";

std::string WithEncoding(std::string_view name) {
    std::string text = RichDocument;
    text.replace(text.find("%ENCODING%"), 10, name);
    return text;
}

TEST(XmlWriterRoundTrip, DocumentsReadBackIntoTheSameTree) {
    struct Case {
        std::uint16_t CodePage;
        const char* DeclaredName;  // the name the document itself declares
        const char* IconvName;     // the bytes of the input
    };
    for (const auto& test : std::initializer_list<Case>{
             {1250, "windows-1250", "CP1250"},
             {65001, "UTF-8", "UTF-8"},
             {65001, "utf-8", "UTF-8"},
         }) {
        for (bool preserve : {false, true}) {
            TCodePageScope codePage(test.CodePage);
            std::string input = Recode(WithEncoding(test.DeclaredName), "UTF-8", test.IconvName);
            auto first = LoadXmlText(input, preserve);
            std::string written = first->GetXml();
            auto second = LoadXmlText(written, preserve);
            std::string label = std::string(test.DeclaredName) + (preserve ? " preserving blanks" : "");
            EXPECT_EQ(DumpXmlTree(second), DumpXmlTree(first)) << label << "\n" << written;
            EXPECT_EQ(second->GetXml(), written) << label;
            // the tree holds what the input says, in the working code page
            auto wpt = first->GetDocumentElement()->SelectElement("wpt");
            std::string name = Recode("\xC5\xBDLU\xC5\xA4OU\xC4\x8CK\xC3\x9D k\xC5\xAF\xC5\x88", "UTF-8", test.IconvName);
            EXPECT_EQ(wpt->GetChildText("name"), preserve ? "  " + name + "  " : name) << label;
            EXPECT_EQ(first->GetDocumentElement()->GetAttr("tab"), "a\tb");
            EXPECT_EQ(first->GetDocumentElement()->GetAttr("lines"), "one\ntwo\r");
            EXPECT_EQ(wpt->SelectElement("desc")->GetChildNodes()->GetCount(), 2);
        }
    }
}

// An outline for comparing a tree with its written and re-read form: text
// nodes that stand side by side are read back as one, and the encoding a
// declaration names is the writer's.
void NormalizedDump(const TXmlPtr<IXmlNode>& node, std::string& out, int depth) {
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    auto type = node->GetNodeType();
    line += std::to_string(static_cast<int>(type)) + " " + node->GetNodeName();
    // the text of a parent is that of its children, compared below
    if (type != TXmlNodeType::Element && type != TXmlNodeType::Document) line += " '" + node->GetText() + "'";
    for (int i = 0; i < node->GetAttrCount(); ++i)
        if (!(node->GetNodeName() == "xml" && node->GetAttrName(i) == "encoding"))
            line += " " + node->GetAttrName(i) + "='" + node->GetAttr(node->GetAttrName(i)) + "'";
    out += line + "\n";
    auto children = node->GetChildNodes();
    std::string texts;
    for (int i = 0; i <= children->GetCount(); ++i) {
        auto child = i < children->GetCount() ? children->GetItem(i) : nullptr;
        if (child && child->GetNodeType() == TXmlNodeType::Text) {
            texts += child->GetText();
            continue;
        }
        if (!texts.empty()) out += std::string(static_cast<std::size_t>(depth + 1) * 2, ' ') + "text '" + texts + "'\n";
        texts.clear();
        if (child) NormalizedDump(child, out, depth + 1);
    }
}

TEST(XmlWriterRoundTrip, RandomDocumentsThatLoadReadBackTheSame) {
    const std::vector<std::string> tokens = {
        "<", ">", "</", "/>", "<?xml ", "?>", "<?p", "<!--", "-->", "<![CDATA[", "]]>", "<!DOCTYPE ", "&amp;", "&lt;",
        "&#1;", "&#x41;", "&#10;", "&quot;", "'", "\"", "=", " ", "\n", "\t", "a", "wpt", "b:c", "1", "-", "]",
        "encoding='KOI8-R'", "version='1.0'", "<a>", "</a>", "<b x='1'>", "</b>", "<c/>"};
    std::mt19937 random(20240617);
    int loaded = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        int count = static_cast<int>(random() % 30);
        for (int i = 0; i < count; ++i) text += tokens[random() % tokens.size()];
        bool preserve = round % 2 == 0;
        TCodePageScope codePage(round % 3 == 0 ? 65001 : 1250);
        TXmlPtr<IXmlDocument> first;
        try {
            first = LoadXmlText(text, preserve);
        } catch (const Exception&) {
            continue;
        }
        ++loaded;
        std::string written;
        TXmlPtr<IXmlDocument> second;
        try {
            written = first->GetXml();
            second = LoadXmlText(written, preserve);
        } catch (const Exception& error) {
            ADD_FAILURE() << error.what() << "\ninput: " << text << "\nwritten: " << written;
            continue;
        }
        // a document without a declaration gets one first
        bool declared = false;
        for (int i = 0; i < first->GetChildNodes()->GetCount(); ++i)
            declared = declared || first->GetChildNodes()->GetItem(i)->GetNodeName() == "xml";
        if (!declared) {
            ASSERT_EQ(second->GetChildNodes()->GetItem(0)->GetNodeName(), "xml") << written;
            second->RemoveChild(second->GetChildNodes()->GetItem(0));
        }
        std::string firstDump, secondDump;
        NormalizedDump(TXmlPtr<IXmlNode>(first.Get()), firstDump, 0);
        NormalizedDump(TXmlPtr<IXmlNode>(second.Get()), secondDump, 0);
        EXPECT_EQ(secondDump, firstDump) << "input: " << text << "\nwritten: " << written;
    }
    EXPECT_GT(loaded, 500);  // the soup must give enough documents to test
}

TEST(XmlWriterRoundTrip, TypedValuesReadBackAsTheSameNumbers) {
    auto document = CreateXmlDocument("values");
    auto root = document->GetDocumentElement();
    root->SetFloatAttr("third", 1.0 / 3.0);
    root->SetFloatAttr("tiny", 5e-324);
    root->SetFloatAttr("inf", -1.0 / 0.0);
    root->SetIntAttr("int", INT32_MIN);
    root->SetBoolAttr("bool", true);
    root->SetDateTimeAttr("when", 40664.5);
    root->SetHexAttr("hex", 0xC0FFEE, 8);
    root->AppendElement("float")->SetNodeValue(TXmlVariant::FromFloat(0.1f, TXmlVarType::Single));
    auto again = LoadXmlText(document->GetXml())->GetDocumentElement();
    EXPECT_EQ(again->GetFloatAttr("third"), 1.0 / 3.0);
    EXPECT_EQ(again->GetFloatAttr("tiny"), 5e-324);
    EXPECT_EQ(again->GetFloatAttr("inf"), -1.0 / 0.0);
    EXPECT_EQ(again->GetIntAttr("int"), INT32_MIN);
    EXPECT_TRUE(again->GetBoolAttr("bool"));
    EXPECT_EQ(again->GetDateTimeAttr("when"), 40664.5);
    EXPECT_EQ(again->GetHexAttr("hex"), 0xC0FFEEu);
    EXPECT_EQ(again->GetChildText("float"), "0.1");
}

TEST(XmlWriter, EscapesWhatMustBeEscaped) {
    TCodePageScope codePage(1252);
    auto document = CreateXmlDocument("r");
    auto r = document->GetDocumentElement();
    r->SetAttr("q", "a\"b<c>&d'e");
    r->AppendText(TXmlVariant("1 < 2 & 3 > 2 \"'"));
    r->AppendCDATA("x]]>y");
    r->AppendComment(" c ");
    r->AppendProcessingInstruction("p", "d");
    r->AppendProcessingInstruction("q", "=no blank needed");
    r->AppendElement("e");
    r->AppendElement("own")->SetNodeValue(TXmlVariant("<&>"));
    const std::string body =
        "<r q=\"a&quot;b&lt;c&gt;&amp;d'e\">1 &lt; 2 &amp; 3 &gt; 2 \"'<![CDATA[x]]]]><![CDATA[>y]]>"
        "<!-- c --><?p d?><?q=no blank needed?><e/><own>&lt;&amp;&gt;</own></r>";
    EXPECT_EQ(document->GetXml(), "<?xml version=\"1.0\" encoding=\"WINDOWS-1252\"?>" + body);
    // nodes and lists give their text alone, without a declaration
    EXPECT_EQ(r->GetXml(), body);
    EXPECT_EQ(r->SelectElement("e")->GetXml(), "<e/>");
    EXPECT_EQ(r->GetChildNodes()->GetItem(3)->GetXml(), "<?p d?>");
    EXPECT_EQ(r->SelectElements("e")->GetXml(), "<e/>");
    // a declaration names the working code page wherever it stands, since
    // the reader follows every one
    EXPECT_EQ(document->GetChildNodes()->GetXml(), "<?xml version=\"1.0\" encoding=\"WINDOWS-1252\"?>" + body);
    auto nested = r->AppendProcessingInstruction("xml", "");
    nested->SetAttr("encoding", "KOI8-R");
    EXPECT_EQ(r->SelectElement("own")->GetXml(), "<own>&lt;&amp;&gt;</own>");
    EXPECT_EQ(nested->GetXml(), "<?xml encoding=\"WINDOWS-1252\"?>");
    TCodePageScope utf8(65001);
    EXPECT_EQ(document->GetXml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body.substr(0, body.size() - 4) +
                                      "<?xml encoding=\"UTF-8\"?></r>");
}

TEST(XmlWriter, TheDeclarationNamesTheEncodingOfTheBytes) {
    struct Case {
        const char* Label;
        std::uint16_t CodePage;
        std::string Input;
        std::string Expected;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"UTF-8 input, 1250 output", 1250, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC5\xBDlut\xC3\xBD</a>",
              "<?xml version=\"1.0\" encoding=\"WINDOWS-1250\"?><a>\x8Elut\xFD</a>"},
             {"1250 input, UTF-8 output", 65001, "<?xml version='1.0' encoding='windows-1250'?><a>\x8Elut\xFD</a>",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC5\xBDlut\xC3\xBD</a>"},
             {"the document's own spelling", 1250, "<?xml version='1.0' encoding='Windows-1250'?><a/>",
              "<?xml version=\"1.0\" encoding=\"Windows-1250\"?><a/>"},
             {"no encoding: placed after the version", 1252, "<?xml version='1.0' standalone='yes'?><a/>",
              "<?xml version=\"1.0\" encoding=\"WINDOWS-1252\" standalone=\"yes\"?><a/>"},
             {"no version either", 1252, "<?xml standalone='yes'?><a/>",
              "<?xml encoding=\"WINDOWS-1252\" standalone=\"yes\"?><a/>"},
             {"no declaration: one is written first", 1251, "<!--c--><a/>",
              "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?><!--c--><a/>"},
             {"code page 0 is 1252", 0, "<a/>", "<?xml version=\"1.0\" encoding=\"WINDOWS-1252\"?><a/>"},
             {"ISO-8859-2", 28592, "<a/>", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><a/>"},
             {"KOI8-R", 20866, "<a/>", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a/>"},
         }) {
        TCodePageScope codePage(test.CodePage);
        std::string written = LoadXmlText(test.Input)->GetXml();
        EXPECT_EQ(written, test.Expected) << test.Label;
    }
    // the declaration makes the text readable in another working code page
    std::string written;
    {
        TCodePageScope codePage(1250);
        written = LoadXmlText("<?xml version='1.0' encoding='windows-1250'?><a>\x8Elu\x9Dou\xE8k\xFD</a>")->GetXml();
    }
    TCodePageScope utf8(65001);
    EXPECT_EQ(LoadXmlText(written)->GetDocumentElement()->GetText(), "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD");
}

TEST(XmlWriter, CodePagesWithoutAnEncodingNameAreWrittenAsUtf8) {
    // "Привет" in code page 866, for which the reader knows no encoding name
    const std::string cp866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
    TCodePageScope codePage(866);
    auto document = CreateXmlDocument("r");
    document->GetDocumentElement()->SetAttr("word", cp866);
    document->GetDocumentElement()->SetText(cp866);
    std::string written = document->GetXml();
    EXPECT_EQ(written,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r word=\"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\">"
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</r>");
    auto again = LoadXmlText(written)->GetDocumentElement();
    EXPECT_EQ(again->GetAttr("word"), cp866);
    EXPECT_EQ(again->GetText(), cp866);
}

TEST(XmlWriter, TreesTheReaderCouldNotReadBackAreRefused) {
    struct Case {
        const char* Label;
        std::function<void(const TXmlPtr<IXmlDocument>&, const TXmlPtr<IXmlElement>&)> Build;
        const char* Message;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"element name", [](auto& d, auto& r) { r->AppendChild(TXmlPtr<IXmlNode>(d->CreateElement("1a").Get())); },
              "Invalid name \"1a\" cannot be written as XML"},
             {"empty element name", [](auto& d, auto& r) { r->AppendChild(TXmlPtr<IXmlNode>(d->CreateElementById(nullptr).Get())); },
              "Invalid name \"\" cannot be written as XML"},
             {"attribute name", [](auto&, auto& r) { r->SetAttr("a b", "v"); },
              "Invalid name \"a b\" cannot be written as XML"},
             {"instruction target", [](auto&, auto& r) { r->AppendProcessingInstruction("-p", "d"); },
              "Invalid name \"-p\" cannot be written as XML"},
             {"comment end inside a comment", [](auto&, auto& r) { r->AppendComment("a-->b"); },
              "A comment holding \"-->\" cannot be written as XML"},
             {"instruction end inside an instruction", [](auto&, auto& r) { r->AppendProcessingInstruction("p", "a?>b"); },
              "A processing instruction holding \"?>\" cannot be written as XML"},
             {"children of a text", [](auto&, auto& r) { r->AppendText(TXmlVariant("t"))->AppendElement("x"); },
              "A #text node with attributes or children cannot be written as XML"},
             {"attributes of a comment", [](auto&, auto& r) { r->AppendComment("c")->SetAttr("a", "1"); },
              "A #comment node with attributes or children cannot be written as XML"},
             {"attributes of an instruction", [](auto&, auto& r) { r->AppendProcessingInstruction("p", "")->SetAttr("a", "1"); },
              "A p node with attributes or children cannot be written as XML"},
             {"data of a declaration", [](auto& d, auto&) { d->GetChildNodes()->GetItem(0)->SetText("version='1.0'"); },
              "The data of an XML declaration cannot be written as XML"},
             {"document inside a tree", [](auto&, auto& r) { r->AppendChild(TXmlPtr<IXmlNode>(CreateXmlDocument().Get())); },
              "A document inside a tree cannot be written as XML"},
             {"attributes of the document", [](auto& d, auto&) { d->SetAttr("a", "1"); },
              "A document with attributes cannot be written as XML"},
         }) {
        auto document = CreateXmlDocument("r");
        auto root = document->GetDocumentElement();
        test.Build(document, root);
        EXPECT_EQ(ErrorOf([&] { document->GetXml(); }), test.Message) << test.Label;
    }
    // a comment may end in "-" and an instruction's data in "?"
    auto document = CreateXmlDocument("r");
    document->GetDocumentElement()->AppendComment("a-");
    document->GetDocumentElement()->AppendProcessingInstruction("p", " x?");
    auto again = LoadXmlText(document->GetXml());
    EXPECT_EQ(DumpXmlTree(again->GetDocumentElement()), DumpXmlTree(document->GetDocumentElement()));
}

TEST(XmlWriter, SavesToStreamsAndFiles) {
    TCodePageScope codePage(1250);
    auto document = LoadXmlText("<?xml version='1.0' encoding='windows-1250'?><a x='\x8E'>\xFD</a>");
    std::ostringstream stream;
    document->SaveToStream(stream);
    EXPECT_EQ(stream.str(), document->GetXml());

    TempDir dir;
    std::string path = (dir / "saved.xml").string();
    WriteFile(path, "previous content that is longer than the document");
    document->SaveToFile(path);
    EXPECT_EQ(ReadFile(path), document->GetXml());
    auto loaded = CreateXmlDocument();
    loaded->LoadFromFile(path);
    EXPECT_EQ(DumpXmlTree(loaded), DumpXmlTree(document));

    std::string missing = (dir / "no" / "such.xml").string();
    try {
        document->SaveToFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + missing + "\". No such file or directory");
    }
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_THROW(document->SaveToStream(broken), EWriteError);
}

TEST(XmlWriter, FullDiskIsAWriteError) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    auto document = CreateXmlDocument("r");
    EXPECT_THROW(document->SaveToFile("/dev/full"), EWriteError);
}

const TXmlResource Sample("XML", "SAMPLE", "\xEF\xBB\xBF<?xml version='1.0'?><sample n='1'><item/></sample>");
const TXmlResource Empty("XML", "EMPTY", "");

TEST(XmlResources, LoadFromResource) {
    auto document = LoadXmlText("<before/>");
    document->LoadFromResource("XML", "SAMPLE");
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "sample");
    EXPECT_EQ(document->GetDocumentElement()->GetAttr("n"), "1");
    // a missing or empty resource leaves the document as it was
    for (auto [type, name] : std::initializer_list<std::pair<const char*, const char*>>{
             {"XML", "MISSING"}, {"xml", "SAMPLE"}, {"RCDATA", "SAMPLE"}, {"XML", "EMPTY"}}) {
        document->LoadFromResource(type, name);
        EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "sample") << type << " " << name;
    }
    // a later registration hides an earlier one while it lives
    {
        TXmlResource replacement("XML", "SAMPLE", "<replacement/>");
        document->LoadFromResource("XML", "SAMPLE");
        EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "replacement");
    }
    document->LoadFromResource("XML", "SAMPLE");
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "sample");
    // reader errors come through
    TXmlResource broken("XML", "BROKEN", "<a><b></a>");
    EXPECT_EQ(ErrorOf([&] { document->LoadFromResource("XML", "BROKEN"); }), "Text \"b\" expected at [1:9]");
}

TEST(XmlDocumentOptions, DefaultPreserveWhiteSpaceAndHandlers) {
    bool saved = DefaultPreserveWhiteSpace;
    DefaultPreserveWhiteSpace = true;
    auto preserving = CreateXmlDocument();
    auto loose = preserving->CreateElement("loose");
    DefaultPreserveWhiteSpace = false;
    auto trimming = CreateXmlDocument();
    EXPECT_TRUE(preserving->GetPreserveWhiteSpace());
    EXPECT_FALSE(trimming->GetPreserveWhiteSpace());
    preserving->LoadXML("<a> x </a>");
    EXPECT_EQ(preserving->GetDocumentElement()->GetText(), " x ");
    // a node outside any document follows the library default of the moment
    loose->AppendText(TXmlVariant(" y "));
    EXPECT_EQ(loose->GetText(), "y");
    DefaultPreserveWhiteSpace = true;
    EXPECT_EQ(loose->GetText(), " y ");
    DefaultPreserveWhiteSpace = saved;

    std::string seen;
    auto document = CreateXmlDocument();
    EXPECT_FALSE(document->GetOnElementEnd());
    EXPECT_FALSE(document->GetOnElementBegin());
    document->SetOnElementBegin([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) { seen += "<" + node->GetNodeName(); });
    document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) { seen += ">" + node->GetNodeName(); });
    auto element = TXmlPtr<IXmlNode>(document->CreateElement("e").Get());
    document->GetOnElementBegin()(nullptr, element);
    document->GetOnElementEnd()(nullptr, element);
    EXPECT_EQ(seen, "<e>e");
    seen.clear();
    document->LoadXML("<a><b/></a>");
    EXPECT_EQ(seen, "<a<b>b>a");
}

TEST(XmlDocumentOptions, IdentityFormsOfTheFactories) {
    auto document = CreateXmlDocument();
    auto names = document->GetNameTable();
    auto root = document->NewDocumentById("1.1", "windows-1250", names->Intern("gpx"));
    EXPECT_EQ(root->GetNodeNameId(), names->Intern("gpx"));
    EXPECT_EQ(document->GetDocumentElement(), root);
    auto declaration = document->GetChildNodes()->GetItem(0);
    EXPECT_EQ(declaration->GetAttr("version"), "1.1");
    EXPECT_EQ(declaration->GetAttr("encoding"), "windows-1250");
    auto instruction = document->CreateProcessingInstructionById(names->Intern("style"), " href='a'");
    EXPECT_EQ(instruction->GetNodeName(), "style");
    EXPECT_EQ(instruction->GetText(), " href='a'");
    EXPECT_EQ(instruction->GetParentNode(), nullptr);
    root->AppendChild(TXmlPtr<IXmlNode>(instruction.Get()));
    TCodePageScope codePage(1250);
    EXPECT_EQ(document->GetXml(), "<?xml version=\"1.1\" encoding=\"windows-1250\"?><gpx><?style href='a'?></gpx>");
}

}  // namespace
}  // namespace kestro::test
