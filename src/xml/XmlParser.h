#pragma once
// The recursive-descent reader that turns XML text into nodes.
#include "xml/XmlInterfaces.h"

namespace kestro {

class TXmlNode;
class TXmlSource;
class TXmlNameTable;

struct TXmlParseOptions {
    TXmlElementHandler OnElementBegin;
    TXmlElementHandler OnElementEnd;
    bool PreserveWhiteSpace = false;
};

// Reads a sequence of nodes into the parent's child list until an end tag
// (the rest of the input is then ignored) or the end of input.
void ParseXmlContent(TXmlNode& parent, TXmlSource& source, TXmlNameTable& names, const TXmlParseOptions& options);

}  // namespace kestro
