// The XML text reader on arbitrary bytes, in a single-byte and in the UTF-8
// working code page, with an element handler that reads and empties elements
// while the input is still being read, as the GPX reader does.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "diag/Exceptions.h"
#include "xml/UKestroXML.h"

namespace {

using namespace kestro;

void ReadAndEmpty(IXmlNodeList* sender, const TXmlPtr<IXmlNode>& element) {
    if (sender != nullptr) (void)sender->GetCount();
    (void)element->GetText();
    (void)element->GetValue("@lat").AsText();
    (void)element->SelectElement("extensions\\gpxx:WaypointExtension\\gpxx:Proximity");
    auto links = element->SelectElements("link");
    for (std::int32_t i = 0; links && i < links->GetCount(); ++i) (void)links->GetItem(i)->GetValue("@href").AsText();
    if (element->GetNodeName() == "wpt") {
        element->RemoveAllChildren();
        element->RemoveAllAttributes();
    }
}

void Load(std::string_view input, std::uint16_t codePage, bool asStream) {
    XmlCodePage = codePage;
    auto document = CreateXmlDocument();
    document->SetOnElementEnd(ReadAndEmpty);
    try {
        if (asStream) {
            // Streams and files look for a byte-order mark and the binary signature first.
            std::istringstream stream{std::string(input)};
            document->LoadFromStream(stream);
        } else {
            document->LoadXML(input);
        }
    } catch (const Exception&) {
        // Bad input ends in the library's error; what was read stays in the document.
    }
    try {
        (void)document->GetXml();
    } catch (const Exception&) {
        // Binary XML (read after its signature) may hold names that XML text cannot.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::Input(data, size);
    Load(input, 1252, true);
    Load(input, 65001, false);
    return 0;
}
