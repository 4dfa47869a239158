// The binary XML reader on arbitrary bytes after the signature, from a string
// and from a stream. A document that loads and can be written in the binary
// form again must read back as the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "diag/Exceptions.h"
#include "xml/UKestroXML.h"

namespace {

using namespace kestro;

// One line per node: kind, name, attributes and value with their types.
void Outline(IXmlNode& node, std::string& out, int depth) {
    out.append(static_cast<std::size_t>(depth), ' ');
    out += std::to_string(static_cast<int>(node.GetNodeType())) + " " + node.GetNodeName() + " " +
           std::to_string(static_cast<int>(node.GetDataType())) + ":" + node.GetNodeValue().AsText();
    for (std::int32_t i = 0; i < node.GetAttrCount(); ++i) {
        const TXmlVariant value = node.GetVarAttrById(node.GetAttrNameId(i));
        out += " " + node.GetAttrName(i) + "=" + std::to_string(static_cast<int>(value.Type())) + ":" + value.AsText();
    }
    out += '\n';
    auto children = node.GetChildNodes();
    for (std::int32_t i = 0; i < children->GetCount(); ++i) Outline(*children->GetItem(i), out, depth + 1);
}

struct TLoaded {
    TXmlPtr<IXmlDocument> Document;
    bool Complete = false;
};

TLoaded Load(const std::string& bytes, bool asStream) {
    TLoaded loaded{CreateXmlDocument()};
    try {
        if (asStream) {
            std::istringstream stream(bytes);
            loaded.Document->LoadFromStream(stream);
        } else {
            loaded.Document->LoadBinaryXml(bytes);
        }
        loaded.Complete = true;
    } catch (const Exception&) {
        // Bad input ends in the library's error; what was read before stays.
    }
    try {
        (void)loaded.Document->GetXml();  // also raises for names that XML text cannot hold
    } catch (const Exception&) {
    }
    return loaded;
}

// The outline, or nothing when a value has no text form.
std::optional<std::string> OutlineOf(IXmlNode& node) {
    std::string out;
    try {
        Outline(node, out, 0);
    } catch (const Exception&) {
        return std::nullopt;
    }
    return out;
}

[[noreturn]] void Fail(const char* what, const std::string& first, const std::string& second) {
    std::fprintf(stderr, "kestro fuzz: %s\n%s--\n%s", what, first.c_str(), second.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XmlCodePage = 65001;
    const std::string bytes = std::string(BinXmlSignature) + std::string(fuzz::Input(data, size));
    const TLoaded fromString = Load(bytes, false);
    if (size == 0) return 0;  // a stream of the bare signature is text
    const TLoaded fromStream = Load(bytes, true);
    const auto outline = OutlineOf(*fromString.Document);
    const auto streamOutline = OutlineOf(*fromStream.Document);
    // Both readers see the same bytes, so they read the same; after an error
    // the string reader may have stopped earlier, having checked a count
    // against the input's known size before reading on.
    if (fromString.Complete != fromStream.Complete || (fromString.Complete && outline != streamOutline))
        Fail("string and stream reader disagree", outline.value_or("?"), streamOutline.value_or("?"));
    if (!fromString.Complete || !outline) return 0;

    std::string written;
    try {
        written = fromString.Document->GetBinaryXml();
    } catch (const Exception&) {
        return 0;  // a tree the form cannot hold exactly is refused, not written changed
    }
    const TLoaded again = Load(written, false);
    const auto againOutline = OutlineOf(*again.Document);
    if (!again.Complete || againOutline != outline)
        Fail("written binary XML does not read back as the same tree", *outline, againOutline.value_or("?"));
    return 0;
}
