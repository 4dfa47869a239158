#pragma once
// The writer of the library's binary XML form: what it writes reads back
// through the binary reader into the same tree. A tree that the form cannot
// hold exactly is refused with an error instead of being written changed:
// nodes of other kinds than element, text, CDATA, comment and instruction
// below the top, attributes or children of text, CDATA and comment nodes,
// two names with the same hash (the reader could only find the first), and
// nesting deeper than the reader accepts.
#include <iosfwd>
#include <string>

namespace kestro {

class TXmlNode;

class TBinXmlWriter {
public:
    // Strings of the name table, CDATA sections, comments and instruction data
    // are written as UTF-8 bytes as they stand, or as UTF-16 when wideStrings
    // is set (then the text is taken as UTF-8).
    explicit TBinXmlWriter(bool wideStrings = false) : WideStrings_(wideStrings) {}

    // The node's attributes and children as a binary document, signature first.
    std::string Write(TXmlNode& document) const;
    // Raises EWriteError when the stream fails.
    void WriteToStream(TXmlNode& document, std::ostream& stream) const;
    // Creates or replaces the file: EFCreateError when it cannot be created,
    // EWriteError when writing or closing fails.
    void WriteToFile(TXmlNode& document, const std::string& fileName) const;

private:
    bool WideStrings_;
};

}  // namespace kestro
