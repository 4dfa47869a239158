// The element text forms: CDATA text split at "]]>", Base64 text with line
// breaks, and decoding it back.
#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "XmlTreeDump.h"

namespace kestro::test {
namespace {

TXmlPtr<IXmlElement> NewElement(const char* text = "<e/>") {
    auto document = LoadXmlText(text);
    return document->GetDocumentElement();
}

// The texts of the CDATA children, each in brackets.
std::string Sections(const TXmlPtr<IXmlElement>& element) {
    std::string sections;
    auto children = element->GetChildNodes();
    for (int i = 0; i < children->GetCount(); ++i)
        if (children->GetItem(i)->GetNodeType() == TXmlNodeType::CDATASection) {
            sections += '[';
            sections += children->GetItem(i)->GetText();
            sections += ']';
        }
    return sections;
}

TEST(XmlElementText, CDATATextIsSplitSoNoSectionHoldsTheEndMarker) {
    struct Case {
        const char* Text;
        const char* Sections;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"plain <text> & more", "[plain <text> & more]"},
             {"a]]>b", "[a]][]>b]"},  // the first ends in "]"
             {"x]]>y]]>z", "[x]][]>y]][]>z]"},
             {"]]>", "[]][]>]"},
             {"]]]>", "[]]][]>]"},
             {"]] >", "[]] >]"},
             {"", ""},
         }) {
        auto element = NewElement();
        element->SetCDATAText(test.Text);
        EXPECT_EQ(Sections(element), test.Sections) << test.Text;
        // written and read again, the sections come back as they are
        auto again = LoadXmlText(element->GetXml(), true)->GetDocumentElement();
        EXPECT_EQ(Sections(again), test.Sections) << element->GetXml();
    }
}

TEST(XmlElementText, CDATATextReplacesOnlyTextAndCDATA) {
    auto element = NewElement("<e>old<c/><!--m--><![CDATA[old]]>tail</e>");
    element->SetCDATAText("new");
    EXPECT_EQ(DumpXmlTree(element),
              "element e\n"
              "  element c\n"
              "  comment 'm'\n"
              "  cdata 'new'\n");
    // an own value is text too
    auto owner = NewElement();
    owner->SetText("own");
    owner->SetCDATAText("new");
    EXPECT_EQ(owner->GetText(), "new");
    owner->RemoveAllChildren();
    EXPECT_EQ(owner->GetText(), "");
}

TEST(XmlElementText, BinaryTextInBase64) {
    struct Case {
        std::string Bytes;
        int LineLength;
        const char* Text;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"Man", 0, "TWFu"},
             {"Ma", 0, "TWE="},
             {"M", 0, "TQ=="},
             {std::string("\0\xFF\x80", 3), 0, "AP+A"},
             {"ManMan", 4, "TWFu\r\nTWFu"},  // no break after the last line
             {"ManMa", 4, "TWFu\r\nTWE="},
             {"ManMan", 5, "TWFuT\r\nWFu"},
             {"ManMan", 100, "TWFuTWFu"},
             {"ManMan", -1, "TWFuTWFu"},
         }) {
        auto element = NewElement();
        element->SetBinaryText(test.Bytes, test.LineLength);
        ASSERT_EQ(element->GetChildNodes()->GetCount(), 1);
        EXPECT_EQ(element->GetChildNodes()->GetItem(0)->GetNodeValue().AsText(), test.Text);
        EXPECT_EQ(element->GetBinaryText(), test.Bytes) << test.Text;
    }
    auto empty = NewElement("<e>old</e>");
    empty->SetBinaryText("", 76);
    EXPECT_EQ(empty->GetChildNodes()->GetCount(), 0);
    EXPECT_EQ(empty->GetBinaryText(), "");
}

TEST(XmlElementText, EveryByteSurvivesBase64AndWrittenXml) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    for (int lineLength : {0, 76, 1}) {
        auto element = NewElement("<e>x<child/><![CDATA[y]]></e>");
        element->SetBinaryText(bytes, lineLength);
        EXPECT_NE(element->SelectElement("child"), nullptr);
        EXPECT_EQ(element->GetBinaryText(), bytes) << lineLength;
        auto again = LoadXmlText(element->GetXml())->GetDocumentElement();
        EXPECT_EQ(again->GetBinaryText(), bytes) << lineLength;
    }
}

TEST(XmlElementText, DecodingIgnoresBlanksAndNeedsMoreThanThreeCharacters) {
    struct Case {
        const char* Text;
        std::string Bytes;
    };
    for (const auto& test : std::initializer_list<Case>{
             {"QUJD", "ABC"},
             {"QUI", ""},            // 3 characters give nothing
             {"QUI=", "AB"},
             {" Q U\r\n\tI ", ""},   // blanks do not count
             {" Q U\r\nJ D ", "ABC"},
             {"QUJDRA==", "ABCD"},
             {"QUJDRA", "ABCD"},     // padding may be missing
             {"QUJDR", "ABC"},       // a lone sixth of a byte is dropped
             {"QQ==QUJD", "A"},      // "=" ends the data
             {"", ""},
         }) {
        auto element = NewElement();
        element->SetText(test.Text);
        EXPECT_EQ(element->GetBinaryText(), test.Bytes) << test.Text;
    }
    auto element = NewElement("<e>QU*DRA==</e>");
    try {
        element->GetBinaryText();
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Character \"*\" is not valid in Base64 text");
    }
}

}  // namespace
}  // namespace kestro::test
