#pragma once
// Helpers shared by the XML library tests.
#include <cstdint>
#include <string>
#include <string_view>

#include "diag/Exceptions.h"
#include "support/TestSupport.h"
#include "xml/UKestroXML.h"

namespace kestro::test {

// Sets the working code page for one test and restores it afterwards.
class TCodePageScope {
public:
    explicit TCodePageScope(std::uint16_t codePage) : Saved_(XmlCodePage) { XmlCodePage = codePage; }
    ~TCodePageScope() { XmlCodePage = Saved_; }
    TCodePageScope(const TCodePageScope&) = delete;
    TCodePageScope& operator=(const TCodePageScope&) = delete;

private:
    std::uint16_t Saved_;
};

inline TXmlPtr<IXmlDocument> LoadXmlText(std::string_view text, bool preserveWhiteSpace = false) {
    auto document = CreateXmlDocument();
    document->SetPreserveWhiteSpace(preserveWhiteSpace);
    document->LoadXML(text);
    return document;
}

// The message of the library's error for the text, or "" when it loads.
inline std::string LoadXmlError(std::string_view text) {
    try {
        LoadXmlText(text);
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

// The text of the document's root element.
inline std::string RootText(std::string_view text, bool preserveWhiteSpace = false) {
    return LoadXmlText(text, preserveWhiteSpace)->GetDocumentElement()->GetText();
}

}  // namespace kestro::test
