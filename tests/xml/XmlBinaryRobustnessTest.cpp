// Damaged binary XML: every truncation of a valid document, every byte
// mutated, and random bytes after the signature. Each load either succeeds
// or raises the library's error; nothing else may happen.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "XmlBinaryTestSupport.h"
#include "xml/XmlBinaryWriter.h"
#include "xml/XmlNode.h"

namespace kestro::test {
namespace {

// A small document with every node kind and several value types.
Bytes SmallBinaryDocument(bool wideStrings) {
    auto document = LoadXmlText(
        "<?xml version='1.0'?><gpx v='1'><!--c--><wpt lat='48.1'><name>A<![CDATA[b]]></name><?pi d?></wpt></gpx>");
    auto root = document->GetDocumentElement();
    root->SetVarAttr("i", TXmlVariant::FromInt(-7, TXmlVarType::Integer));
    root->SetVarAttr("w", TXmlVariant::FromWide(u"\u20AC"));
    root->SetVarAttr("d", TXmlVariant::FromDateTime(1.5));
    root->SetVarAttr("b", TXmlVariant::FromBytes("\x01\x02"));
    root->AppendChild(TXmlPtr<IXmlNode>(document->CreateElement("v").Get()))->SetNodeValue(TXmlVariant::FromBool(true));
    return TBinXmlWriter(wideStrings).Write(*XmlNodeOf(document.Get()));
}

// Loads through a string and through a stream; a failure of any other kind
// than the library's error fails the test. Returns the string load's message.
std::string LoadBothWays(const Bytes& bytes, const std::string& label) {
    std::string message;
    for (bool viaStream : {false, true}) {
        auto document = CreateXmlDocument();
        int calls = 0;
        document->SetOnElementEnd([&](IXmlNodeList*, const TXmlPtr<IXmlNode>&) { ++calls; });
        try {
            if (viaStream) {
                std::istringstream stream(bytes);
                document->LoadFromStream(stream);
            } else {
                document->LoadBinaryXml(bytes);
            }
            // Whatever was read can be used.
            document->GetXml();
            document->GetBinaryXml();
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()), "") << label;
            if (!viaStream) message = error.what();
        } catch (const std::exception& error) {
            ADD_FAILURE() << label << ": " << error.what();
        }
        EXPECT_EQ(calls, 0) << label;
    }
    return message;
}

TEST(XmlBinaryRobustness, EveryTruncationRaisesAnError) {
    for (bool wide : {false, true}) {
        const Bytes bytes = SmallBinaryDocument(wide);
        ASSERT_EQ(LoadBothWays(bytes, "whole"), "");
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            Bytes cut = bytes.substr(0, length);
            std::string label = "length " + std::to_string(length);
            EXPECT_EQ(LoadBothWays(cut, label), "Error reading data") << label;
            // Up to 14 bytes a stream is not binary and is read as text.
            if (length > BinXmlSignature.size()) {
                EXPECT_EQ(StreamLoadError(cut), "Error reading data") << label;
            }
        }
    }
}

TEST(XmlBinaryRobustness, EveryByteMutatedLoadsOrFails) {
    for (bool wide : {false, true}) {
        const Bytes bytes = SmallBinaryDocument(wide);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            auto original = static_cast<unsigned char>(bytes[i]);
            for (unsigned value : {original ^ 0xFFu, original ^ 0x01u, original ^ 0x80u, 0x00u, 0x7Fu, 0x80u, 0xFEu, 0xFFu}) {
                Bytes damaged = bytes;
                damaged[i] = static_cast<char>(value);
                LoadBothWays(damaged, "byte " + std::to_string(i) + " = " + std::to_string(value));
            }
        }
    }
}

TEST(XmlBinaryRobustness, RandomBytesAfterTheSignature) {
    // Biased towards the bytes that mean most in the form.
    const Bytes alphabet = Hex("00 01 02 03 04 05 06 07 08 0B 10 14 61 7F 80 81 A0 11 FE FF");
    std::mt19937 random(20240607);
    for (int round = 0; round < 5000; ++round) {
        Bytes bytes(BinXmlSignature);
        bytes += static_cast<char>(random() % 2);  // options
        bytes += Bytes(3, '\0');
        int length = static_cast<int>(random() % 48);
        for (int i = 0; i < length; ++i) bytes += alphabet[random() % alphabet.size()];
        LoadBothWays(bytes, "round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace kestro::test
