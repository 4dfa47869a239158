// The text reader: syntax, references, white space, handlers, positions and
// every message of the reader.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "XmlTestSupport.h"

namespace kestro::test {
namespace {

TEST(XmlReaderErrors, EveryMessageWithItsPosition) {
    struct Case {
        const char* Text;
        const char* Message;
    };
    for (auto c : std::initializer_list<Case>{
             // ExpectChar, also at the end of input
             {"<a x 'y'/>", "Character \"=\" expected at [1:6]"},
             {"<a x='1' ?>", "Character \">\" expected at [1:10]"},
             {"<a>", "Character \"/\" expected at [1:3]"},
             {"<a></a", "Character \">\" expected at [1:6]"},
             {"<a></ab>", "Character \">\" expected at [1:7]"},
             {"<a>&#65</a>", "Character \";\" expected at [1:8]"},
             // one root element; what follows a stray end tag is still ignored
             {"<a/>\n<b/>", "A document has only one root element at [2:2]"},
             {"<a></a><!-- x --> <a>", "A document has only one root element at [1:20]"},
             // ExpectText names the part from the first character that did not match
             {"<a></b>", "Text \"a\" expected at [1:6]"},
             {"<abc></abx>", "Text \"c\" expected at [1:10]"},
             {"<a/x>", "Text \">\" expected at [1:4]"},
             {"<!x>", "Text \"DOCTYPE\" expected at [1:3]"},
             {"<!-x-->", "Text \"-\" expected at [1:4]"},
             {"<![CDAT>", "Text \"A[\" expected at [1:8]"},
             {"<?xml version='1.0'>", "Text \"?>\" expected at [1:20]"},
             // attribute values
             {"<a x='<'/>", "Character \"<\" cannot be used in the values of attributes at [1:7]"},
             {"<a x='1", "\"'\" expected at [1:7]"},
             {"<a x=\"1", "\"\"\" expected at [1:7]"},
             {"<a x=", "The value of the attribute is expected at [1:5]"},
             {"<a x= ", "The value of the attribute is expected at [1:6]"},
             {"<a x=1/>", "Line constant expected at [1:6]"},
             // ReadUntil terminators
             {"<!-- x", "\"-->\" expected at [1:6]"},
             {"<![CDATA[x]]", "\"]]>\" expected at [1:12]"},
             {"<!DOCTYPE x", "\">\" expected at [1:11]"},
             {"<?pi x", "\"?>\" expected at [1:6]"},
             // encodings
             {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>", "Encoding \"UTF-16\" is not supported by KestroXML"},
             {"<?xml encoding='ISO-8859-10'?>", "Encoding \"ISO-8859-10\" is not supported by KestroXML"},
             // element names
             {"<a", "Incomplete definition of the element"},
             {"<a$>", "Invalid symbol in the name of the element"},
             {"<1a/>", "Name must start with letter or \"_\" at [1:2]"},
             {"< a/>", "Name must start with letter or \"_\" at [1:2]"},
             {"<a 1='x'/>", "Character \">\" expected at [1:4]"},
             {"<?", "Name must start with letter or \"_\" at [1:2]"},
             // references
             {"<a>&#;</a>", "Number expected at [1:6]"},
             {"<a>&#", "Number expected at [1:5]"},
             {"<a>&#X41;</a>", "Number expected at [1:6]"},
             {"<a>&#x;</a>", "Hexadecimal number expected at [1:7]"},
             {"<a>&#x", "Hexadecimal number expected at [1:6]"},
             {"<a>&", "\"#\" or XML entity symbol name expected at [1:4]"},
             {"<a>& b</a>", "Name must start with letter or \"_\" at [1:5]"},
             {"<a>&foo;</a>", "Unknown XML entity symbol name \"foo\" found at [1:9]"},
             {"<a>&Amp;</a>", "Unknown XML entity symbol name \"Amp\" found at [1:9]"},
             {"<a>&amp</a>", "Character \";\" expected at [1:8]"},
             {"<a x='&bad;'/>", "Unknown XML entity symbol name \"bad\" found at [1:12]"},
         }) {
        EXPECT_EQ(LoadXmlError(c.Text), c.Message) << c.Text;
    }
}

TEST(XmlReaderErrors, ByteOrderMarksOfUtf16And32AreRefused) {
    for (std::string mark : {std::string("\x00\x00\xFE\xFF", 4), std::string("\xFF\xFE\x00\x00", 4),
                             std::string("\xFF\xFE"), std::string("\xFE\xFF")}) {
        std::istringstream stream(mark + std::string("<\0a\0/\0>\0", 8));
        auto document = CreateXmlDocument();
        try {
            document->LoadFromStream(stream);
            ADD_FAILURE() << "loaded with mark " << ToHex(mark);
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "Unicode Encoding is not supported by KestroXML");
        }
    }
}

TEST(XmlReaderErrors, NodesReadBeforeAnErrorStay) {
    auto document = CreateXmlDocument();
    EXPECT_THROW(document->LoadXML("<!--one--><a><b/><c x=1/></a>"), Exception);
    auto children = document->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 2);
    EXPECT_EQ(children->GetItem(0)->GetNodeType(), TXmlNodeType::Comment);
    auto a = children->GetItem(1);
    EXPECT_NE(a->SelectElement("b"), nullptr);
    EXPECT_NE(a->SelectElement("c"), nullptr);
}

TEST(XmlReaderPositions, LinesAndColumns) {
    struct Case {
        const char* Text;
        const char* Message;
    };
    for (auto c : std::initializer_list<Case>{
             // the first character of a line is column 1
             {"<a>\n<1/>", "Name must start with letter or \"_\" at [2:2]"},
             {"<a>\n<b>\n</c>", "Text \"b\" expected at [3:3]"},
             // a position on a line feed shows the next line and column 0
             {"<a>&#\n;</a>", "Number expected at [2:0]"},
             // long runs of text and attribute values are counted the same way
             {"<a>one\ntwo\r\nthree\n\n  <b x='1\n2\n3'></c>", "Text \"b\" expected at [7:6]"},
             {"<a>\n\n<!-- x\n y -->\n<![CDATA[\n]]>\n</b>", "Text \"a\" expected at [7:3]"},
         }) {
        EXPECT_EQ(LoadXmlError(c.Text), c.Message) << c.Text;
    }
}

TEST(XmlReaderText, WhiteSpaceIsTrimmedUnlessPreserved) {
    EXPECT_EQ(RootText("<a>  text  </a>"), "text");
    EXPECT_EQ(RootText("<a>  text  </a>", true), "  text  ");
    EXPECT_EQ(RootText("<a>\t\r\n x\x01 y \x1F</a>"), "x\x01 y");
    // white space between elements gives no node; preserved it does
    EXPECT_EQ(LoadXmlText("<a> <b/>\n </a>")->GetDocumentElement()->GetChildNodes()->GetCount(), 1);
    EXPECT_EQ(LoadXmlText("<a> <b/>\n </a>", true)->GetDocumentElement()->GetChildNodes()->GetCount(), 3);
    // values of attributes keep their white space
    EXPECT_EQ(LoadXmlText("<a x=' 1\t2 '/>")->GetDocumentElement()->GetValue("@x").AsText(), " 1\t2 ");
}

TEST(XmlReaderText, ReferencesInTextAndValues) {
    // A reference is its character, converted like any other text into the
    // working code page ("?" where the code page has no such character).
    struct Case {
        std::uint16_t CodePage;
        const char* Text;
        std::string Expected;
    };
    for (auto c : std::initializer_list<Case>{
             {1252, "<a>&amp;&quot;&lt;&gt;&apos;</a>", "&\"<>'"},
             {1252, "<a>&#233;</a>", "\xE9"},
             {1252, "<a>&#x41;&#x6a;&#x6A;</a>", "Ajj"},
             {1252, "<a>&#0000065;</a>", "A"},
             {1252, "<a>x&#32;y</a>", "x y"},
             {1252, "<a>x&#1;y</a>", "x\x01y"},
             {1252, "<a>&#x20AC;</a>", "\x80"},
             {1252, "<a>&#x10D;&#321;&#x1F600;</a>", "???"},
             {1250, "<a>&#x10D;&#321;</a>", "\xE8\xA3"},
             {65001, "<a>&#xE9;&#x20AC;&#x1F600;</a>", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
             {65001, "<a>x&#1114111;</a>", "x\xF4\x8F\xBF\xBF"},
         }) {
        TCodePageScope codePage(c.CodePage);
        EXPECT_EQ(RootText(c.Text), c.Expected) << c.Text;
        const std::string value = std::string("<b v='") + std::string(c.Text).substr(3, std::strlen(c.Text) - 7) + "'/>";
        EXPECT_EQ(LoadXmlText(value)->GetDocumentElement()->GetValue("@v").AsText(), c.Expected) << value;
    }
}

TEST(XmlReaderText, ReferencesToWhatXmlDoesNotAllowAreErrors) {
    for (auto c : std::initializer_list<std::pair<const char*, const char*>>{
             {"<a>x&#0;y</a>", "Character reference to U+0000 is not allowed in XML at [1:8]"},
             {"<a x='&#xD800;'/>", "Character reference to U+D800 is not allowed in XML at [1:14]"},
             {"<a>\n&#xDFFF;</a>", "Character reference to U+DFFF is not allowed in XML at [2:8]"},
             {"<a>&#xFFFF;</a>", "Character reference to U+FFFF is not allowed in XML at [1:11]"},
             {"<a>&#x110000;</a>", "Character reference beyond U+10FFFF is not allowed in XML at [1:13]"},
             {"<a>&#99999999999999999999999;</a>", "Character reference beyond U+10FFFF is not allowed in XML at [1:29]"},
         }) {
        EXPECT_EQ(LoadXmlError(c.first), c.second) << c.first;
    }
}

TEST(XmlReaderText, MoreReferences) {
    TCodePageScope codePage(1252);
    EXPECT_EQ(LoadXmlText("<a x='&lt;&#65;&amp;'/>")->GetDocumentElement()->GetValue("@x").AsText(), "<A&");
    // ">" is plain text; references are not decoded in comments and CDATA
    EXPECT_EQ(RootText("<a>1 > 0</a>"), "1 > 0");
    EXPECT_EQ(RootText("<a><![CDATA[&amp;<b>]]></a>"), "&amp;<b>");
    auto comment = LoadXmlText("<!--&amp;--><a/>")->GetChildNodes()->GetItem(0);
    EXPECT_EQ(comment->GetText(), "&amp;");
}

TEST(XmlReaderText, CommentsCdataAndInstructions) {
    auto document = LoadXmlText("<?pi  some data ?><!----><!-- a - b --><a><![CDATA[]]]]><![CDATA[ x ]]></a><?xml-stylesheet href='s'?>");
    auto children = document->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 5);
    EXPECT_EQ(children->GetItem(0)->GetNodeName(), "pi");
    EXPECT_EQ(children->GetItem(0)->GetText(), "  some data ");  // leading blanks included
    EXPECT_EQ(children->GetItem(1)->GetText(), "");
    EXPECT_EQ(children->GetItem(2)->GetText(), " a - b ");
    EXPECT_EQ(children->GetItem(4)->GetNodeName(), "xml-stylesheet");
    EXPECT_EQ(children->GetItem(4)->GetText(), " href='s'");
    auto a = children->GetItem(3);
    ASSERT_EQ(a->GetChildNodes()->GetCount(), 2);
    EXPECT_EQ(a->GetChildNodes()->GetItem(0)->GetText(), "]]");
    EXPECT_EQ(a->GetChildNodes()->GetItem(1)->GetText(), " x ");
    EXPECT_EQ(a->GetText(), "]] x");
    // "--->" ends a comment whose text ends in "-"
    EXPECT_EQ(LoadXmlText("<!-- x --->")->GetChildNodes()->GetItem(0)->GetText(), " x -");
}

TEST(XmlReaderSyntax, DocumentTypeIsCutAtItsFirstGreaterThan) {
    auto document = LoadXmlText("<!DOCTYPE gpx [<!ENTITY e \"v\">]><gpx/>");
    // what follows the cut is text at the top level, then the element
    auto children = document->GetChildNodes();
    ASSERT_EQ(children->GetCount(), 2);
    EXPECT_EQ(children->GetItem(0)->GetNodeType(), TXmlNodeType::Text);
    EXPECT_EQ(children->GetItem(0)->GetText(), "]>");
    EXPECT_EQ(children->GetItem(1)->GetNodeName(), "gpx");
    EXPECT_EQ(LoadXmlText("<!DOCTYPE gpx SYSTEM 'x.dtd'>\n<gpx/>")->GetChildNodes()->GetCount(), 1);
}

TEST(XmlReaderSyntax, AttributesNeedNoBlankBetweenThem) {
    auto a = LoadXmlText("<a x='1'y=\"2\"  z = '3' x='4'/>")->GetDocumentElement();
    ASSERT_EQ(a->GetAttrCount(), 3);
    EXPECT_EQ(a->GetValue("@x").AsText(), "4");  // a repeated attribute takes the new value in place
    EXPECT_EQ(*a->GetAttrNameId(0), "x");
    EXPECT_EQ(a->GetValue("@y").AsText(), "2");
    EXPECT_EQ(a->GetValue("@z").AsText(), "3");
}

TEST(XmlReaderSyntax, StrayEndTagEndsTheLoadAndFinalLessThanIsIgnored) {
    auto document = LoadXmlText("<a/></b><c/>");
    EXPECT_EQ(document->GetChildNodes()->GetCount(), 1);
    document = LoadXmlText("<a/>text<");
    ASSERT_EQ(document->GetChildNodes()->GetCount(), 2);
    EXPECT_EQ(document->GetChildNodes()->GetItem(1)->GetText(), "text");
    EXPECT_EQ(LoadXmlText("<")->GetChildNodes()->GetCount(), 0);
    EXPECT_EQ(LoadXmlText("")->GetChildNodes()->GetCount(), 0);
    // end tags may have blanks before ">"
    EXPECT_EQ(LoadXmlText("<a></a \n\t>")->GetChildNodes()->GetCount(), 1);
}

TEST(XmlReaderSyntax, NamesTakeLettersDigitsAndPunctuation) {
    TCodePageScope codePage(1252);
    auto a = LoadXmlText("<_x.y-z:w9 gpxx:a_1='v'><\xC4\xE9\x80/></_x.y-z:w9>")->GetDocumentElement();
    EXPECT_EQ(a->GetNodeName(), "_x.y-z:w9");
    EXPECT_EQ(a->GetValue("@gpxx:a_1").AsText(), "v");
    EXPECT_NE(a->SelectElement("\xC4\xE9\x80"), nullptr);  // every byte from 0x80 up is a letter
}

TEST(XmlReaderHandlers, EachElementOnceAfterItsEnd) {
    auto document = CreateXmlDocument();
    std::vector<std::string> events;
    document->SetOnElementBegin([&](IXmlNodeList* sender, const TXmlPtr<IXmlNode>& node) {
        events.push_back("begin " + node->GetNodeName() + " attrs " + std::to_string(node->GetAttrCount()));
        EXPECT_EQ(sender->GetItem(sender->GetCount() - 1), node);
    });
    document->SetOnElementEnd([&](IXmlNodeList* sender, const TXmlPtr<IXmlNode>& node) {
        events.push_back("end " + node->GetNodeName() + " children " +
                         std::to_string(node->GetChildNodes()->GetCount()));
        EXPECT_EQ(sender->GetItem(sender->GetCount() - 1), node);
    });
    document->LoadXML("<gpx><wpt lat='1'/><wpt lat='2'><name>n</name></wpt></gpx>");
    EXPECT_EQ(events, (std::vector<std::string>{"begin gpx attrs 0", "begin wpt attrs 1", "end wpt children 0",
                                                "begin wpt attrs 1", "begin name attrs 0", "end name children 1",
                                                "end wpt children 1", "end gpx children 2"}));
}

TEST(XmlReaderHandlers, EmptiedElementsStayInTheirParent) {
    auto document = CreateXmlDocument();
    int waypoints = 0;
    document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
        if (node->GetNodeName() != "wpt") return;
        ++waypoints;
        EXPECT_EQ(node->GetValue("name").AsText(), "p" + std::to_string(waypoints));
        node->RemoveAllChildren();
        node->RemoveAllAttributes();
    });
    document->LoadXML("<gpx><wpt lat='1'><name>p1</name></wpt><rte/><wpt lat='2'><name>p2</name></wpt></gpx>");
    EXPECT_EQ(waypoints, 2);
    auto all = document->GetDocumentElement()->SelectElements("wpt");
    ASSERT_EQ(all->GetCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(all->GetItem(i)->GetAttrCount(), 0);
        EXPECT_EQ(all->GetItem(i)->GetChildNodes()->GetCount(), 0);
    }
}

TEST(XmlReaderHandlers, ErrorsOfAHandlerEndTheLoad) {
    auto document = CreateXmlDocument();
    document->SetOnElementEnd([](IXmlNodeList*, const TXmlPtr<IXmlNode>&) { throw EConvertError("stop"); });
    EXPECT_THROW(document->LoadXML("<a/>"), EConvertError);
}

TEST(XmlReaderHandlers, AHandlerMayDropTheDocumentOrEmptyItsAncestors) {
    auto document = CreateXmlDocument();
    IXmlDocument* loading = document.Get();
    int ends = 0;
    document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
        ++ends;
        if (node->GetNodeName() == "b") node->GetParentNode()->GetParentNode()->RemoveAllChildren();
        if (node->GetNodeName() == "c") document.Reset();
    });
    loading->LoadXML("<r><a><b/></a><c/><d/></r>");
    EXPECT_EQ(ends, 5);
    EXPECT_EQ(document, nullptr);
}

TEST(XmlReaderLimits, NestingIsBoundedAndTheLimitItselfLoads) {
    std::string atLimit;
    for (int i = 0; i < MaxXmlNestingDepth; ++i) atLimit += "<e>";
    for (int i = 0; i < MaxXmlNestingDepth; ++i) atLimit += "</e>";
    EXPECT_EQ(LoadXmlError(atLimit), "");
    std::string deeper(1000000 * 3, ' ');
    for (std::size_t i = 0; i < 1000000; ++i) deeper.replace(i * 3, 3, "<e>");
    EXPECT_EQ(LoadXmlError(deeper), Format("Elements are nested deeper than %d levels at [1:%d]", MaxXmlNestingDepth,
                                           MaxXmlNestingDepth * 3 + 3));
}

TEST(XmlReaderLoading, LoadingReplacesTheContent) {
    auto document = CreateXmlDocument();
    document->LoadXML("<a/><!-- b -->");
    document->SetVarAttr("x", TXmlVariant("1"));
    document->LoadXML("<c/>");
    ASSERT_EQ(document->GetChildNodes()->GetCount(), 1);
    EXPECT_EQ(document->GetDocumentElement()->GetNodeName(), "c");
    EXPECT_EQ(document->GetAttrCount(), 0);
}

TEST(XmlReaderLoading, FilesAndStreams) {
    TempDir folder;
    WriteFile(folder / "a.gpx", "\xEF\xBB\xBF<?xml version='1.0'?><gpx><wpt lat='5'/></gpx>");
    auto document = CreateXmlDocument();
    document->LoadFromFile((folder / "a.gpx").string());
    EXPECT_EQ(document->GetDocumentElement()->SelectElement("wpt")->GetValue("@lat").AsText(), "5");
    try {
        document->LoadFromFile((folder / "missing.gpx").string());
        ADD_FAILURE() << "missing file loaded";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + (folder / "missing.gpx").string() + "\". No such file or directory");
    }
    EXPECT_THROW(document->LoadFromFile(folder.Path().string()), EReadError);
    std::istringstream stream("<x>1</x>");
    document->LoadFromStream(stream);
    EXPECT_EQ(document->GetDocumentElement()->GetText(), "1");
}

}  // namespace
}  // namespace kestro::test
