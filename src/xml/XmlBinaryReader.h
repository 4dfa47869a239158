#pragma once
// The reader of the library's binary XML form. Every count, length and type
// code comes from the input and is checked against it: a count the input
// cannot hold raises "Error reading data" before anything is allocated for
// it, and nesting is bounded like that of the text reader.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "xml/XmlInterfaces.h"

namespace kestro {

class TXmlByteInput;
class TXmlNameTable;
class TXmlNode;

class TBinXmlReader {
public:
    virtual ~TBinXmlReader();
    TBinXmlReader(const TBinXmlReader&) = delete;
    TBinXmlReader& operator=(const TBinXmlReader&) = delete;

    std::uint32_t Options() const { return Options_; }

    // The only primitive: exactly count bytes, else "Error reading data".
    virtual void ReadBytes(char* target, std::size_t count) = 0;

    // The encodings of the form.
    std::uint32_t ReadCount();
    // UTF-8 or UTF-16 by the options; the result is UTF-8.
    std::string ReadString();
    std::string ReadUtf8();
    std::u16string ReadWide();
    // Raises "Error reading value: incorrect type" for an unknown type code.
    TXmlVariant ReadValue();

    // The loading steps. The name table is read first; name keys of the body
    // are resolved against it and interned in the target table.
    void ReadNameTable(TXmlNameTable& target);
    void ReadNodeBody(TXmlNode& node);
    void ReadNodes(TXmlNode& parent, std::uint32_t count);

protected:
    TBinXmlReader();
    // Called by each kind once it can read.
    void ReadOptions();
    // At least the number of bytes still to come; exact when the input's size
    // is known, else the largest value.
    virtual std::uint64_t RemainingLimit() const = 0;

private:
    std::string ReadByteString(std::uint64_t count);
    std::uint64_t ReadLittleEndian(std::size_t size);
    TXmlNameId ReadNameKey();
    void ReadNode(TXmlNode& parent);
    void ReadAttributes(TXmlNode& node);
    void ReadBodyNested(TXmlNode& node);

    std::uint32_t Options_ = 0;
    // The names of the input alone (with the six predefined ones), so that a
    // hash resolves to the first name of the file that has it ...
    TXmlPtr<TXmlNameTable> FileNames_;
    // ... and the same names in the table of the nodes being built.
    std::unordered_map<TXmlNameId, TXmlNameId> TargetNames_;
    TXmlNameTable* Target_ = nullptr;
    int Depth_ = 0;
};

// Reads a stream (or file) from its current position, just after the
// signature, in blocks of 65536 bytes.
class TStmXmlReader : public TBinXmlReader {
public:
    explicit TStmXmlReader(TXmlByteInput& input);
    ~TStmXmlReader() override;

    void ReadBytes(char* target, std::size_t count) override;

protected:
    // Unknown for streams: lengths are checked as the bytes arrive, block by
    // block, so a false length costs no more memory than the input holds.
    std::uint64_t RemainingLimit() const override;

private:
    TXmlByteInput& Input_;
    std::unique_ptr<char[]> Buffer_;
    std::size_t Start_ = 0;
    std::size_t End_ = 0;
};

// Reads binary XML held in a string (which must outlive the reader); the
// first 14 bytes are taken for the signature without being tested.
class TStrXmlReader : public TBinXmlReader {
public:
    explicit TStrXmlReader(std::string_view data);

    void ReadBytes(char* target, std::size_t count) override;

protected:
    std::uint64_t RemainingLimit() const override { return Data_.size() - Position_; }

private:
    std::string_view Data_;
    std::size_t Position_;
};

// Loads a whole binary document (after the signature) into the document node,
// whose children and attributes have been removed. No handlers are called.
void LoadBinaryXmlDocument(TXmlNode& document, TBinXmlReader& reader);

}  // namespace kestro
