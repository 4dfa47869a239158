#include "xml/XmlBinaryReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "diag/Exceptions.h"
#include "xml/UKestroXML.h"
#include "xml/XmlBinaryFormat.h"
#include "xml/XmlElement.h"
#include "xml/XmlError.h"
#include "xml/XmlInput.h"
#include "xml/XmlNameTable.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

namespace {

constexpr std::size_t ReadAheadSize = 65536;
// Room taken at once for a stored count of attributes or children; more is
// added as they really arrive. Children are reserved for before any of them
// is read, at every level of nesting, so a false count must not cost much.
constexpr std::uint32_t InitialRoom = 256;

[[noreturn]] void RaiseDataError() { RaiseXmlError("Error reading data"); }

}  // namespace

TBinXmlReader::TBinXmlReader() = default;
TBinXmlReader::~TBinXmlReader() = default;

void TBinXmlReader::ReadOptions() { Options_ = static_cast<std::uint32_t>(ReadLittleEndian(4)); }

std::uint64_t TBinXmlReader::ReadLittleEndian(std::size_t size) {
    unsigned char bytes[8];
    ReadBytes(reinterpret_cast<char*>(bytes), size);
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

std::uint32_t TBinXmlReader::ReadCount() {
    auto first = static_cast<std::uint32_t>(ReadLittleEndian(1));
    if (first <= BinXmlCountOneByteMax) return first;
    if (first == BinXmlCountLongForm) return static_cast<std::uint32_t>(ReadLittleEndian(4));
    return (first & 0x7F) << 8 | static_cast<std::uint32_t>(ReadLittleEndian(1));
}

std::string TBinXmlReader::ReadByteString(std::uint64_t count) {
    if (count > RemainingLimit()) RaiseDataError();
    std::string bytes;
    if (RemainingLimit() != std::numeric_limits<std::uint64_t>::max()) bytes.reserve(count);
    // Taken block by block: where the input's size is unknown, a false length
    // fails at the end of the input having used no more memory than it holds.
    while (bytes.size() < count) {
        std::size_t done = bytes.size();
        auto part = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, ReadAheadSize));
        bytes.resize(done + part);
        ReadBytes(bytes.data() + done, part);
    }
    return bytes;
}

std::string TBinXmlReader::ReadUtf8() { return ReadByteString(ReadCount()); }

std::u16string TBinXmlReader::ReadWide() {
    std::uint64_t units = ReadCount();
    std::string bytes = ReadByteString(units * 2);
    std::u16string text(units, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text;
}

std::string TBinXmlReader::ReadString() {
    // Strings of the form are taken into the system's 8-bit encoding, UTF-8.
    return (Options_ & BinXmlWideStrings) ? XmlWideToUtf8(ReadWide()) : ReadUtf8();
}

TXmlVariant TBinXmlReader::ReadValue() {
    std::uint32_t code = ReadCount();
    auto type = static_cast<TXmlVarType>(code);
    switch (code) {
        case static_cast<std::uint32_t>(TXmlVarType::Empty): return TXmlVariant();
        case static_cast<std::uint32_t>(TXmlVarType::Null): return TXmlVariant::MakeNull();
        case static_cast<std::uint32_t>(TXmlVarType::ShortInt):
        case static_cast<std::uint32_t>(TXmlVarType::Byte):
            return TXmlVariant::FromInt(static_cast<std::int64_t>(ReadLittleEndian(1)), type);
        case static_cast<std::uint32_t>(TXmlVarType::SmallInt):
        case static_cast<std::uint32_t>(TXmlVarType::Word):
            return TXmlVariant::FromInt(static_cast<std::int64_t>(ReadLittleEndian(2)), type);
        case static_cast<std::uint32_t>(TXmlVarType::Integer):
        case static_cast<std::uint32_t>(TXmlVarType::LongWord):
            return TXmlVariant::FromInt(static_cast<std::int64_t>(ReadLittleEndian(4)), type);
        case static_cast<std::uint32_t>(TXmlVarType::Int64):
        case static_cast<std::uint32_t>(TXmlVarType::Currency):
            return TXmlVariant::FromInt(static_cast<std::int64_t>(ReadLittleEndian(8)), type);
        case static_cast<std::uint32_t>(TXmlVarType::Single): {
            auto bits = static_cast<std::uint32_t>(ReadLittleEndian(4));
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return TXmlVariant::FromFloat(value, type);
        }
        case static_cast<std::uint32_t>(TXmlVarType::Double):
        case static_cast<std::uint32_t>(TXmlVarType::Date): {
            std::uint64_t bits = ReadLittleEndian(8);
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return TXmlVariant::FromFloat(value, type);
        }
        case static_cast<std::uint32_t>(TXmlVarType::Boolean): return TXmlVariant::FromBool(ReadLittleEndian(2) != 0);
        // UTF-16 text stays UTF-16 until it is read as text.
        case static_cast<std::uint32_t>(TXmlVarType::OleStr): return TXmlVariant::FromWide(ReadWide());
        case static_cast<std::uint32_t>(TXmlVarType::String): return TXmlVariant(ReadUtf8());
        case static_cast<std::uint32_t>(TXmlVarType::ByteArray): return TXmlVariant::FromBytes(ReadUtf8());
        default: RaiseXmlError("Error reading value: incorrect type");
    }
}

void TBinXmlReader::ReadNameTable(TXmlNameTable& target) {
    // The target table keeps its names (nodes held elsewhere may still use
    // them); keys resolve against the file's names alone.
    Target_ = &target;
    FileNames_ = TXmlPtr<TXmlNameTable>(new TXmlNameTable(DefaultNameTableBuckets));
    TargetNames_ = {{FileNames_->TextName, target.TextName},
                    {FileNames_->CDATASectionName, target.CDATASectionName},
                    {FileNames_->CommentName, target.CommentName},
                    {FileNames_->DocumentName, target.DocumentName},
                    {FileNames_->XmlName, target.XmlName},
                    {FileNames_->EncodingName, target.EncodingName}};
    std::uint32_t count = ReadCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name = ReadString();
        TXmlNameId fileName = FileNames_->Intern(name);
        if (fileName && !TargetNames_.contains(fileName)) TargetNames_.emplace(fileName, target.Intern(name));
    }
}

TXmlNameId TBinXmlReader::ReadNameKey() {
    if (!Target_) RaiseXmlError("Error reading binary XML: no name table");
    TXmlNameId fileName = FileNames_->FindByHash(ReadCount());
    if (!fileName) return nullptr;
    auto found = TargetNames_.find(fileName);
    return found != TargetNames_.end() ? found->second : nullptr;
}

void TBinXmlReader::ReadAttributes(TXmlNode& node) {
    std::uint32_t count = ReadCount();
    if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
        count > RemainingLimit() / BinXmlMinAttributeSize)
        RaiseDataError();
    // The array holds exactly the stored attributes, duplicates included.
    node.RemoveAllAttributes();
    auto capacity = static_cast<std::int32_t>(std::min(count, InitialRoom));
    if (capacity > 0) {
        node.Attrs = std::make_unique<TXmlAttrData[]>(static_cast<std::size_t>(capacity));
        node.AttrCapacity = capacity;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        TXmlNameId name = ReadNameKey();
        TXmlVariant value = ReadValue();
        if (node.AttrCount == node.AttrCapacity) {
            auto grown = static_cast<std::int32_t>(std::min<std::uint64_t>(count, 2 * std::uint64_t(node.AttrCapacity)));
            auto attrs = std::make_unique<TXmlAttrData[]>(static_cast<std::size_t>(grown));
            std::move(node.Attrs.get(), node.Attrs.get() + node.AttrCount, attrs.get());
            node.Attrs = std::move(attrs);
            node.AttrCapacity = grown;
        }
        node.Attrs[node.AttrCount].Name = name;
        node.Attrs[node.AttrCount].Value = std::move(value);
        ++node.AttrCount;
    }
}

void TBinXmlReader::ReadNodeBody(TXmlNode& node) {
    ReadAttributes(node);
    std::uint32_t count = ReadCount();
    if (count == 0) return;
    if (count > RemainingLimit() / BinXmlMinRecordSize) RaiseDataError();
    TXmlNodeList& list = node.GetChildList();
    list.Clear();
    list.Items.reserve(std::min(count, InitialRoom));
    ReadNodes(node, count);
}

void TBinXmlReader::ReadNodes(TXmlNode& parent, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) ReadNode(parent);
}

void TBinXmlReader::ReadBodyNested(TXmlNode& node) {
    ++Depth_;
    ReadNodeBody(node);
    --Depth_;
}

void TBinXmlReader::ReadNode(TXmlNode& parent) {
    char type;
    ReadBytes(&type, 1);
    TXmlNameTable& names = *Target_;
    switch (static_cast<TBinXmlRecord>(type)) {
        case TBinXmlRecord::Element:
        case TBinXmlRecord::ProcessingInstruction: {
            // Nesting is bounded so that no input can exhaust the stack.
            if (Depth_ >= MaxXmlNestingDepth)
                RaiseXmlError(Format("Elements are nested deeper than %d levels", MaxXmlNestingDepth));
            TXmlNameId name = ReadNameKey();
            if (static_cast<TBinXmlRecord>(type) == TBinXmlRecord::Element) {
                TXmlPtr<TXmlElement> element(new TXmlElement(&names, name));
                parent.GetChildList().AddNew(element.Get());
                TXmlVariant value = ReadValue();
                if (!value.IsEmpty()) element->OwnValue = std::make_unique<TXmlVariant>(std::move(value));
                ReadBodyNested(*element);
            } else {
                std::string data = ReadString();
                TXmlPtr<TXmlProcessingInstruction> instruction(new TXmlProcessingInstruction(&names, name, data));
                parent.GetChildList().AddNew(instruction.Get());
                ReadBodyNested(*instruction);
            }
            return;
        }
        case TBinXmlRecord::Text: {
            TXmlVariant value = ReadValue();
            parent.GetChildList().AddNew(TXmlPtr<TXmlNode>(new TXmlText(&names, std::move(value))).Get());
            return;
        }
        case TBinXmlRecord::CDATASection: {
            std::string text = ReadString();
            parent.GetChildList().AddNew(TXmlPtr<TXmlNode>(new TXmlCDATASection(&names, text)).Get());
            return;
        }
        case TBinXmlRecord::Comment: {
            std::string text = ReadString();
            parent.GetChildList().AddNew(TXmlPtr<TXmlNode>(new TXmlComment(&names, text)).Get());
            return;
        }
    }
    RaiseXmlError("Error reading binary XML: incorrect node-type");
}

TStmXmlReader::TStmXmlReader(TXmlByteInput& input) : Input_(input), Buffer_(std::make_unique<char[]>(ReadAheadSize)) {
    ReadOptions();
}

TStmXmlReader::~TStmXmlReader() = default;

std::uint64_t TStmXmlReader::RemainingLimit() const { return std::numeric_limits<std::uint64_t>::max(); }

void TStmXmlReader::ReadBytes(char* target, std::size_t count) {
    while (count > 0) {
        if (Start_ == End_) {
            Start_ = 0;
            End_ = Input_.Read(Buffer_.get(), ReadAheadSize);
            if (End_ == 0) RaiseDataError();
        }
        std::size_t part = std::min(count, End_ - Start_);
        std::memcpy(target, Buffer_.get() + Start_, part);
        Start_ += part;
        target += part;
        count -= part;
    }
}

TStrXmlReader::TStrXmlReader(std::string_view data)
    : Data_(data), Position_(std::min(data.size(), BinXmlSignature.size())) {
    ReadOptions();
}

void TStrXmlReader::ReadBytes(char* target, std::size_t count) {
    if (count > Data_.size() - Position_) RaiseDataError();
    std::memcpy(target, Data_.data() + Position_, count);
    Position_ += count;
}

void LoadBinaryXmlDocument(TXmlNode& document, TBinXmlReader& reader) {
    reader.ReadNameTable(*document.NameTable);
    reader.ReadNodeBody(document);
}

}  // namespace kestro
