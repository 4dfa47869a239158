// Damaged input: every prefix of a valid document, every byte replaced by
// troublesome ones, and random token soup. Each load either succeeds or
// raises the library's error; nothing else may happen.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

#include "XmlTestSupport.h"

namespace kestro::test {
namespace {

const std::string Document =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE gpx [<!ENTITY e \"v\">]>\n"
    "<gpx a='1' b=\"2\"><!-- c -->\n"
    " <wpt lat=\"48.1&amp;\" lon='17'><name>\xC3\x84 &#233;&#x41;&lt;</name>"
    "<desc><![CDATA[ <b>x</b> ]]></desc><?pi some data?>"
    "<extensions><gpxx:A x='\xE2\x82\xAC'/></extensions></wpt>\n"
    "</gpx>\n";

// Loads through a string and through a stream; a failure of any other kind
// than the library's error fails the test.
void LoadBothWays(const std::string& text, const std::string& label) {
    for (bool viaStream : {false, true}) {
        auto document = CreateXmlDocument();
        int ends = 0;
        document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>& node) {
            ++ends;
            node->GetText();
            node->GetValue("@lat");
            node->RemoveAllChildren();
        });
        try {
            if (viaStream) {
                std::istringstream stream(text);
                document->LoadFromStream(stream);
            } else {
                document->LoadXML(text);
            }
            document->GetXml();
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()), "") << label;
        } catch (const std::exception& error) {
            ADD_FAILURE() << label << ": " << error.what();
        }
    }
}

TEST(XmlRobustness, EveryPrefixLoadsOrFails) {
    for (std::uint16_t codePage : {1252, 65001}) {
        TCodePageScope scope(codePage);
        for (std::size_t length = 0; length <= Document.size(); ++length)
            LoadBothWays(Document.substr(0, length), "prefix " + std::to_string(length));
    }
    EXPECT_EQ(LoadXmlError(Document.substr(3)), "");
}

TEST(XmlRobustness, EveryByteReplacedLoadsOrFails) {
    TCodePageScope scope(65001);
    const std::string replacements("<>&\"'/?!-[]#;\0\xFF\xC3\xF0 \n", 20);
    for (std::size_t i = 0; i < Document.size(); ++i) {
        for (char replacement : replacements) {
            std::string damaged = Document;
            damaged[i] = replacement;
            LoadBothWays(damaged, "byte " + std::to_string(i));
        }
    }
}

TEST(XmlRobustness, RandomTokenSoupLoadsOrFails) {
    const std::vector<std::string> tokens = {"<",  ">",     "</",  "/>",     "<?xml ", "?>", "<!--", "-->", "<![CDATA[", "]]>",
                                  "<!DOCTYPE ", "&", "&#", "&#x", ";", "amp", "'", "\"", "=", " ", "\n",
                                  "a",  "wpt",   "b:c", "1",      "\xC3",   "\xE2\x82", "\xF0\x9F\x98\x80", "\xFF",
                                  "encoding='KOI8-R'", "encoding='utf-8'", "encoding='x'", std::string(1, '\0')};
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) text += tokens[random() % tokens.size()];
        TCodePageScope scope(round % 2 ? 65001 : 1251);
        LoadBothWays(text, "round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace kestro::test
