#include "xml/XmlBinaryWriter.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "diag/Exceptions.h"
#include "xml/UKestroXML.h"
#include "xml/XmlBinaryFormat.h"
#include "xml/XmlElement.h"
#include "xml/XmlError.h"
#include "xml/XmlFileOutput.h"
#include "xml/XmlNodeList.h"
#include "xml/XmlTextNodes.h"
#include "xml/XmlTranscoder.h"

namespace kestro {

namespace {

void AppendLittleEndian(std::string& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i, value >>= 8) out += static_cast<char>(value & 0xFF);
}

void AppendCount(std::string& out, std::uint32_t value) {
    if (value <= BinXmlCountOneByteMax) {
        out += static_cast<char>(value);
    } else if (value <= BinXmlCountTwoByteMax) {
        out += static_cast<char>(0x80 | value >> 8);
        out += static_cast<char>(value & 0xFF);
    } else {
        out += static_cast<char>(BinXmlCountLongForm);
        AppendLittleEndian(out, value, 4);
    }
}

std::uint32_t LengthCount(std::size_t length) {
    if (length > std::numeric_limits<std::uint32_t>::max()) RaiseXmlError("Text too long for binary XML");
    return static_cast<std::uint32_t>(length);
}

void AppendBytes(std::string& out, std::string_view bytes) {
    AppendCount(out, LengthCount(bytes.size()));
    out += bytes;
}

void AppendWide(std::string& out, std::u16string_view units) {
    AppendCount(out, LengthCount(units.size()));
    for (char16_t unit : units) AppendLittleEndian(out, unit, 2);
}

std::u16string Utf8ToWide(std::string_view text) {
    std::u16string units(text.size(), u'\0');
    std::size_t unitCount = 0;
    std::size_t used = DecodeXmlUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size(), units.data(),
                                     units.size(), unitCount);
    units.resize(unitCount);
    if (used < text.size()) units += u'?';  // a sequence cut short at the end
    return units;
}

void AppendValue(std::string& out, const TXmlVariant& value) {
    TXmlVarType type = value.Type();
    AppendCount(out, static_cast<std::uint32_t>(type));
    auto bits = static_cast<std::uint64_t>(value.IntValue());
    switch (type) {
        case TXmlVarType::Empty:
        case TXmlVarType::Null: return;
        case TXmlVarType::ShortInt:
        case TXmlVarType::Byte: AppendLittleEndian(out, bits, 1); return;
        case TXmlVarType::SmallInt:
        case TXmlVarType::Word: AppendLittleEndian(out, bits, 2); return;
        case TXmlVarType::Integer:
        case TXmlVarType::LongWord: AppendLittleEndian(out, bits, 4); return;
        case TXmlVarType::Int64:
        case TXmlVarType::Currency: AppendLittleEndian(out, bits, 8); return;
        case TXmlVarType::Single: {
            double wide = value.FloatValue();
            // Narrowing a double beyond the float range would be undefined.
            if (std::isfinite(wide) && std::fabs(wide) > FLT_MAX) wide = wide > 0 ? INFINITY : -INFINITY;
            auto narrow = static_cast<float>(wide);
            std::uint32_t floatBits;
            std::memcpy(&floatBits, &narrow, sizeof floatBits);
            AppendLittleEndian(out, floatBits, 4);
            return;
        }
        case TXmlVarType::Double:
        case TXmlVarType::Date: {
            double wide = value.FloatValue();
            std::uint64_t doubleBits;
            std::memcpy(&doubleBits, &wide, sizeof doubleBits);
            AppendLittleEndian(out, doubleBits, 8);
            return;
        }
        case TXmlVarType::Boolean: AppendLittleEndian(out, value.BoolValue() ? 0xFFFF : 0, 2); return;
        case TXmlVarType::OleStr: AppendWide(out, value.WideText()); return;
        case TXmlVarType::String:
        case TXmlVarType::ByteArray: AppendBytes(out, value.TextView()); return;
    }
    RaiseXmlError(Format("Binary XML has no form for a value of type %d", static_cast<int>(type)));
}

// One document's names: each name is written once in the name table and
// referred to by its hash.
class TNameCollector {
public:
    explicit TNameCollector(TXmlNameTable& table) {
        // The reader always knows the predefined names, and finds them first.
        for (TXmlNameId name : {table.TextName, table.CDATASectionName, table.CommentName, table.DocumentName,
                                table.XmlName, table.EncodingName})
            Known_.emplace(TXmlNameTable::Hash(*name), *name);
    }

    // A name without identity is written as key 0, the hash of "".
    void Add(std::string_view name) {
        auto [found, added] = Known_.emplace(TXmlNameTable::Hash(name), name);
        if (added) {
            if (!name.empty()) Order_.push_back(name);
        } else if (found->second != name) {
            RaiseXmlError(Format("Names \"%s\" and \"%s\" have the same hash; binary XML cannot hold both",
                                 std::string(found->second).c_str(), std::string(name).c_str()));
        }
    }
    const std::vector<std::string_view>& Names() const { return Order_; }

private:
    std::unordered_map<std::uint32_t, std::string_view> Known_;
    std::vector<std::string_view> Order_;
};

// Checks that the form can hold the tree and gathers its names in document
// order, without recursion (trees built by hand may be of any depth).
std::vector<std::string_view> CollectNames(TXmlNode& root) {
    TNameCollector names(*root.NameTable);
    std::vector<std::pair<TXmlNode*, int>> pending{{&root, 0}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (node != &root) {
            switch (node->Kind) {
                case TXmlNodeType::Element:
                case TXmlNodeType::ProcessingInstruction:
                    if (depth > MaxXmlNestingDepth)
                        RaiseXmlError(Format("Elements are nested deeper than %d levels", MaxXmlNestingDepth));
                    names.Add(node->NameTable->NameOf(node->GetNodeNameId()));
                    break;
                case TXmlNodeType::Text:
                case TXmlNodeType::CDATASection:
                case TXmlNodeType::Comment:
                    if (node->AttrCount > 0 || node->HasChildren())
                        RaiseXmlError(Format("Binary XML cannot hold attributes or children of a %s node",
                                             node->GetNodeName().c_str()));
                    break;
                default:
                    RaiseXmlError(Format("Binary XML has no record for a node of type %d",
                                         static_cast<int>(node->Kind)));
            }
        }
        for (std::int32_t i = 0; i < node->AttrCount; ++i) names.Add(node->NameTable->NameOf(node->Attrs[i].Name));
        if (!node->ChildList) continue;
        auto& items = node->ChildList->Items;
        for (auto child = items.rbegin(); child != items.rend(); ++child) pending.emplace_back(child->Get(), depth + 1);
    }
    return names.Names();
}

class TBodyWriter {
public:
    TBodyWriter(std::string& out, bool wideStrings) : Out_(out), WideStrings_(wideStrings) {}

    void WriteString(std::string_view text) {
        if (!WideStrings_) return AppendBytes(Out_, text);
        std::u16string units = Utf8ToWide(text);
        // Only UTF-8 text comes back from UTF-16 as it was.
        if (XmlWideToUtf8(units) != text)
            RaiseXmlError("Text that is not UTF-8 cannot be written as UTF-16");
        AppendWide(Out_, units);
    }

    // The node's attributes and children, then those of every descendant
    // in document order, without recursion.
    void WriteBody(TXmlNode& root) {
        struct TFrame {
            TXmlNode* Node;
            std::size_t Next;
        };
        WriteBodyHead(root);
        std::vector<TFrame> open{{&root, 0}};
        while (!open.empty()) {
            TXmlNode* node = open.back().Node;
            std::size_t next = open.back().Next;
            if (!node->ChildList || next >= node->ChildList->Items.size()) {
                open.pop_back();
                continue;
            }
            ++open.back().Next;
            TXmlNode& child = *node->ChildList->Items[next];
            if (WriteRecordHead(child)) {
                WriteBodyHead(child);
                open.push_back({&child, 0});
            }
        }
    }

private:
    void WriteKey(TXmlNode& node, TXmlNameId name) {
        AppendCount(Out_, TXmlNameTable::Hash(node.NameTable->NameOf(name)));
    }

    void WriteBodyHead(TXmlNode& node) {
        AppendCount(Out_, static_cast<std::uint32_t>(node.AttrCount));
        for (std::int32_t i = 0; i < node.AttrCount; ++i) {
            WriteKey(node, node.Attrs[i].Name);
            AppendValue(Out_, node.Attrs[i].Value);
        }
        AppendCount(Out_, node.ChildList ? static_cast<std::uint32_t>(node.ChildList->Items.size()) : 0);
    }

    // The record up to its body; true when a body follows.
    bool WriteRecordHead(TXmlNode& node) {
        switch (node.Kind) {
            case TXmlNodeType::Element: {
                auto& element = static_cast<TXmlElement&>(node);
                Out_ += static_cast<char>(TBinXmlRecord::Element);
                WriteKey(node, element.Name);
                AppendValue(Out_, element.OwnValue ? *element.OwnValue : TXmlVariant());
                return true;
            }
            case TXmlNodeType::ProcessingInstruction: {
                auto& instruction = static_cast<TXmlProcessingInstruction&>(node);
                Out_ += static_cast<char>(TBinXmlRecord::ProcessingInstruction);
                WriteKey(node, instruction.Target);
                WriteString(instruction.Data);
                return true;
            }
            case TXmlNodeType::Text:
                Out_ += static_cast<char>(TBinXmlRecord::Text);
                AppendValue(Out_, static_cast<TXmlText&>(node).Value);
                return false;
            case TXmlNodeType::CDATASection:
                Out_ += static_cast<char>(TBinXmlRecord::CDATASection);
                WriteString(static_cast<TXmlCharacterData&>(node).Text);
                return false;
            case TXmlNodeType::Comment:
                Out_ += static_cast<char>(TBinXmlRecord::Comment);
                WriteString(static_cast<TXmlCharacterData&>(node).Text);
                return false;
            default: RaiseXmlError("Binary XML has no record for this node");
        }
    }

    std::string& Out_;
    bool WideStrings_;
};

}  // namespace

std::string TBinXmlWriter::Write(TXmlNode& document) const {
    std::vector<std::string_view> names = CollectNames(document);
    std::string out(BinXmlSignature);
    AppendLittleEndian(out, WideStrings_ ? BinXmlWideStrings : 0, 4);
    TBodyWriter body(out, WideStrings_);
    AppendCount(out, LengthCount(names.size()));
    for (std::string_view name : names) body.WriteString(name);
    body.WriteBody(document);
    return out;
}

void TBinXmlWriter::WriteToStream(TXmlNode& document, std::ostream& stream) const {
    std::string bytes = Write(document);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!stream) throw EWriteError("Stream write error");
}

void TBinXmlWriter::WriteToFile(TXmlNode& document, const std::string& fileName) const {
    // Built whole before the file is touched, so a tree the form cannot hold
    // leaves an existing file as it was.
    std::string bytes = Write(document);
    WriteXmlFile(fileName, bytes);
}

}  // namespace kestro
