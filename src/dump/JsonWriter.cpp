#include "dump/JsonWriter.h"

#include "diag/Exceptions.h"
#include "gpi/TextDecoder.h"

namespace kestro {

namespace {

void AppendEscaped(std::string& out, char32_t c) {
    switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) out += Format("\\u%04X", static_cast<unsigned>(c));
    else if (IsUndecodedByte(c)) out += "\\uFFFD";
    else AppendUtf8(out, c);
}

}  // namespace

void TJsonWriter::Indent(std::size_t depth) {
    out_ << '\n';
    for (std::size_t i = 0; i < depth; ++i) out_ << "  ";
}

void TJsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) return;
    TLevel& level = levels_.back();
    if (!level.Empty) out_ << ',';
    if (level.Inline) {
        if (!level.Empty) out_ << ' ';
    } else {
        Indent(levels_.size());
    }
    level.Empty = false;
}

void TJsonWriter::Open(char bracket, bool inlineLayout) {
    BeforeValue();
    out_ << bracket;
    const bool parentInline = !levels_.empty() && levels_.back().Inline;
    levels_.push_back(TLevel{inlineLayout || parentInline, true});
}

void TJsonWriter::Close(char bracket) {
    const TLevel level = levels_.back();
    levels_.pop_back();
    if (!level.Empty && !level.Inline) Indent(levels_.size());
    out_ << bracket;
}

void TJsonWriter::Key(std::string_view key) {
    BeforeValue();
    WriteQuoted(key);
    out_ << ": ";
    afterKey_ = true;
}

void TJsonWriter::String(const std::u32string& text) {
    BeforeValue();
    std::string out = "\"";
    for (char32_t c : text) AppendEscaped(out, c);
    out_ << out << '"';
}

void TJsonWriter::Text(std::string_view utf8) {
    BeforeValue();
    WriteQuoted(utf8);
}

void TJsonWriter::WriteQuoted(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) AppendEscaped(out, byte);
        else out += c;
    }
    out_ << out << '"';
}

void TJsonWriter::Number(long long value) {
    BeforeValue();
    out_ << value;
}

void TJsonWriter::RawNumber(std::string_view number) {
    BeforeValue();
    out_ << number;
}

void TJsonWriter::Null() {
    BeforeValue();
    out_ << "null";
}

void TJsonWriter::Finish() { out_ << '\n'; }

}  // namespace kestro
