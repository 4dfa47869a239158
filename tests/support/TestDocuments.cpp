#include "support/TestDocuments.h"

#include <cctype>
#include <cstdlib>

namespace kestro::test {

namespace {

[[noreturn]] void Fail(const std::string& what, std::size_t pos) {
    throw std::runtime_error(what + " at offset " + std::to_string(pos));
}

void AppendUtf8(std::string& out, unsigned c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Valid UTF-8 only: JSON and XML text must be.
void CheckUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) Fail("invalid UTF-8", i);
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) Fail("invalid UTF-8", i);
        i += length;
    }
}

class TJsonParser {
public:
    explicit TJsonParser(const std::string& text) : text_(text) {}

    TJson Document() {
        CheckUtf8(text_);
        TJson value = Value(0);
        Blanks();
        if (pos_ != text_.size()) Fail("text after the document", pos_);
        return value;
    }

private:
    void Blanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\t' || text_[pos_] == '\r')) ++pos_;
    }
    char Peek() {
        Blanks();
        if (pos_ >= text_.size()) Fail("unexpected end", pos_);
        return text_[pos_];
    }
    void Expect(char c) {
        if (Peek() != c) Fail(std::string("expected '") + c + "'", pos_);
        ++pos_;
    }
    bool Literal(const char* word) {
        const std::string w(word);
        if (text_.compare(pos_, w.size(), w) != 0) return false;
        pos_ += w.size();
        return true;
    }

    TJson Value(int depth) {
        if (depth > 200) Fail("nesting too deep", pos_);
        TJson v;
        const char c = Peek();
        if (c == '{') {
            v.Kind = TJson::TKind::Object;
            ++pos_;
            if (Peek() == '}') {
                ++pos_;
                return v;
            }
            for (;;) {
                if (Peek() != '"') Fail("expected a key", pos_);
                v.Keys.push_back(String());
                Expect(':');
                v.Items.push_back(Value(depth + 1));
                if (Peek() == ',') {
                    ++pos_;
                    continue;
                }
                Expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.Kind = TJson::TKind::Array;
            ++pos_;
            if (Peek() == ']') {
                ++pos_;
                return v;
            }
            for (;;) {
                v.Items.push_back(Value(depth + 1));
                if (Peek() == ',') {
                    ++pos_;
                    continue;
                }
                Expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.Kind = TJson::TKind::String;
            v.Text = String();
            return v;
        }
        if (Literal("true") || Literal("false")) {
            v.Kind = TJson::TKind::Bool;
            v.Bool = text_[pos_ - 4] == 't';
            return v;
        }
        if (Literal("null")) return v;
        return NumberValue();
    }

    TJson NumberValue() {
        const std::size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            if (pos_ == from) Fail("expected digits", pos_);
        };
        if (pos_ < text_.size() && text_[pos_] == '0') ++pos_;
        else digits();
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            digits();
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            digits();
        }
        TJson v;
        v.Kind = TJson::TKind::Number;
        v.Text = text_.substr(start, pos_ - start);
        v.Number = std::strtod(v.Text.c_str(), nullptr);
        return v;
    }

    unsigned Hex4() {
        if (pos_ + 4 > text_.size()) Fail("short \\u escape", pos_);
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            value *= 16;
            if (c >= '0' && c <= '9') value += static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') value += static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') value += static_cast<unsigned>(c - 'A' + 10);
            else Fail("bad \\u escape", pos_);
        }
        return value;
    }

    std::string String() {
        Expect('"');
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) Fail("unterminated string", pos_);
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string", pos_ - 1);
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) Fail("unterminated escape", pos_);
            const char e = text_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                const unsigned code = Hex4();
                if (code >= 0xD800 && code <= 0xDFFF) Fail("surrogate escape", pos_);
                AppendUtf8(out, code);
                break;
            }
            default: Fail("unknown escape", pos_);
            }
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

class TXmlParser {
public:
    explicit TXmlParser(const std::string& text) : text_(text) {}

    std::vector<TXmlElement> Elements() {
        CheckUtf8(text_);
        if (text_.compare(0, 5, "<?xml") == 0) {
            pos_ = text_.find("?>");
            if (pos_ == std::string::npos) Fail("unterminated declaration", 0);
            pos_ += 2;
        }
        std::vector<std::string> open;
        bool rootSeen = false;
        while (pos_ < text_.size()) {
            if (text_[pos_] != '<') {
                const std::size_t next = text_.find('<', pos_);
                const std::string chunk = text_.substr(pos_, next == std::string::npos ? std::string::npos : next - pos_);
                if (open.empty() && chunk.find_first_not_of(" \t\r\n") != std::string::npos) Fail("text outside the root", pos_);
                CheckText(chunk, pos_);
                pos_ = next == std::string::npos ? text_.size() : next;
                continue;
            }
            if (text_.compare(pos_, 4, "<!--") == 0) {
                const std::size_t end = text_.find("-->", pos_);
                if (end == std::string::npos) Fail("unterminated comment", pos_);
                pos_ = end + 3;
            } else if (text_.compare(pos_, 2, "</") == 0) {
                pos_ += 2;
                const std::string name = Name();
                if (open.empty() || open.back() != name) Fail("mismatched end tag </" + name + ">", pos_);
                open.pop_back();
                Blanks();
                Expect('>');
            } else {
                ++pos_;
                if (open.empty() && rootSeen) Fail("second root element", pos_);
                rootSeen = true;
                TXmlElement element;
                element.Name = Name();
                for (;;) {
                    Blanks();
                    if (text_.compare(pos_, 2, "/>") == 0) {
                        pos_ += 2;
                        break;
                    }
                    if (pos_ < text_.size() && text_[pos_] == '>') {
                        ++pos_;
                        open.push_back(element.Name);
                        break;
                    }
                    const std::string key = Name();
                    Blanks();
                    Expect('=');
                    Blanks();
                    Expect('"');
                    const std::size_t end = text_.find('"', pos_);
                    if (end == std::string::npos) Fail("unterminated attribute", pos_);
                    const std::string value = text_.substr(pos_, end - pos_);
                    if (value.find('<') != std::string::npos) Fail("'<' in an attribute", pos_);
                    CheckText(value, pos_);
                    if (!element.Attributes.emplace(key, value).second) Fail("repeated attribute " + key, pos_);
                    pos_ = end + 1;
                }
                elements_.push_back(std::move(element));
            }
        }
        if (!open.empty()) Fail("unclosed element <" + open.back() + ">", pos_);
        if (!rootSeen) Fail("no root element", pos_);
        return std::move(elements_);
    }

private:
    void Blanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\t' || text_[pos_] == '\r')) ++pos_;
    }
    void Expect(char c) {
        if (pos_ >= text_.size() || text_[pos_] != c) Fail(std::string("expected '") + c + "'", pos_);
        ++pos_;
    }
    std::string Name() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '-' ||
                                       text_[pos_] == '_' || text_[pos_] == ':' || text_[pos_] == '.'))
            ++pos_;
        if (pos_ == start) Fail("expected a name", pos_);
        return text_.substr(start, pos_ - start);
    }
    // Entities must be the predefined ones; control characters are not XML.
    static void CheckText(const std::string& text, std::size_t at) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') Fail("control character", at + i);
            if (c == '&') {
                const std::size_t end = text.find(';', i);
                const std::string entity = end == std::string::npos ? "" : text.substr(i, end - i + 1);
                if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" && entity != "&apos;")
                    Fail("unknown entity", at + i);
            }
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    std::vector<TXmlElement> elements_;
};

}  // namespace

const TJson& TJson::operator[](const std::string& key) const {
    for (std::size_t i = 0; i < Keys.size(); ++i)
        if (Keys[i] == key) return Items[i];
    throw std::out_of_range("no key " + key);
}

bool TJson::Has(const std::string& key) const {
    for (const auto& k : Keys)
        if (k == key) return true;
    return false;
}

TJson ParseJson(const std::string& text) { return TJsonParser(text).Document(); }

std::vector<TXmlElement> ParseXmlElements(const std::string& text) { return TXmlParser(text).Elements(); }

}  // namespace kestro::test
