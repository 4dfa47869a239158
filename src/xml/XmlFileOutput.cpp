#include "xml/XmlFileOutput.h"

#include "platform/OutputFile.h"

namespace kestro {

void WriteXmlFile(const std::string& fileName, std::string_view bytes) {
    WriteWholeFile(fileName, bytes, TOutputOptions{.ReplaceFile = false, .FullPath = false});
}

}  // namespace kestro
