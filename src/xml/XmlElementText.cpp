// The element text forms: CDATA sections and Base64 text.
#include "platform/Base64.h"
#include "xml/XmlBase64.h"
#include "xml/XmlElement.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

void TXmlElement::RemoveTextChildren() {
    OwnValue.reset();
    if (!ChildList) return;
    auto& items = ChildList->Items;
    for (std::size_t i = items.size(); i-- > 0;)
        if (items[i]->Kind == TXmlNodeType::Text || items[i]->Kind == TXmlNodeType::CDATASection)
            ChildList->RemoveAt(i);
}

void TXmlElement::SetCDATAText(std::string_view text) {
    RemoveTextChildren();
    // Each "]]>" ends one section after its first "]"; the next begins with "]>".
    while (!text.empty()) {
        std::size_t end = text.find("]]>");
        std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        AppendCDATA(text.substr(0, length));
        text.remove_prefix(length);
    }
}

void TXmlElement::SetBinaryText(std::string_view bytes, int lineLength) {
    RemoveTextChildren();
    if (!bytes.empty()) AppendText(TXmlVariant(EncodeBase64(bytes, lineLength)));
}

std::string TXmlElement::GetBinaryText() { return DecodeXmlBase64(GetText()); }

}  // namespace kestro
