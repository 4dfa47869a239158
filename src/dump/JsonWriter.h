#pragma once
// A small streaming JSON writer: keys come out in the order they are written,
// nested values are indented by two blanks, and containers opened "inline"
// (with everything inside them) stay on one line.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject(bool inlineLayout = false) { Open('{', inlineLayout); }
    void EndObject() { Close('}'); }
    void BeginArray(bool inlineLayout = false) { Open('[', inlineLayout); }
    void EndArray() { Close(']'); }

    void Key(std::string_view key);
    // A decoded text (see TTextDecoder); undecoded bytes become U+FFFD.
    void String(const std::u32string& text);
    // A text of the program's own, in UTF-8.
    void Text(std::string_view utf8);
    void Number(long long value);
    // An already formatted number, e.g. "50.0000000".
    void RawNumber(std::string_view number);
    void Null();
    // Ends the document with a line break.
    void Finish();

private:
    struct TLevel {
        bool Inline = false;
        bool Empty = true;
    };
    void Open(char bracket, bool inlineLayout);
    void Close(char bracket);
    void BeforeValue();
    void Indent(std::size_t depth);
    void WriteQuoted(std::string_view utf8);

    std::ostream& out_;
    std::vector<TLevel> levels_;
    bool afterKey_ = false;
};

}  // namespace kestro
