// Saving a document as text, and loading one from a program resource.
#include <ostream>
#include <sstream>

#include "diag/Exceptions.h"
#include "xml/XmlDocument.h"
#include "xml/XmlFileOutput.h"
#include "xml/XmlResources.h"
#include "xml/XmlTextWriter.h"

namespace kestro {

std::string TXmlDocument::GetXml() { return WriteXmlDocument(*this); }

void TXmlDocument::SaveToStream(std::ostream& stream) {
    std::string text = GetXml();
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!stream) throw EWriteError("Cannot write the XML text to the stream");
}

void TXmlDocument::SaveToFile(const std::string& fileName) { WriteXmlFile(fileName, GetXml()); }

void TXmlDocument::LoadFromResource(std::string_view resourceType, std::string_view resourceName) {
    const TXmlResource* resource = FindXmlResource(resourceType, resourceName);
    if (!resource || resource->Bytes.empty()) return;
    std::istringstream stream{std::string(resource->Bytes)};
    LoadFromStream(stream);
}

}  // namespace kestro
