#include "csv/CsvText.h"

#include <algorithm>
#include <array>

#include "diag/Exceptions.h"
#include "platform/CodePages.h"
#include "platform/Iconv.h"
#include "platform/TextConversion.h"

namespace kestro {
namespace {

constexpr std::size_t TextProbeBytes = 4096;
// Enough of the first line to tell its separator; a line without a break
// may be as long as the file.
constexpr std::size_t FirstLineBytes = 1 << 16;
constexpr std::int32_t Utf8Page = 65001;
constexpr std::int32_t Windows1252Page = 1252;

// Checks UTF-8 across blocks: a sequence may be split between two.
class TUtf8Check {
public:
    void Feed(unsigned char c) {
        if (!valid_) return;
        if (pending_ > 0) {
            if ((c & 0xC0) != 0x80 || c < low_ || c > high_) {
                valid_ = false;
                return;
            }
            low_ = 0x80;
            high_ = 0xBF;
            --pending_;
            return;
        }
        if (c < 0x80) return;
        // Overlong forms, surrogates and code points above U+10FFFF are no UTF-8.
        if (c >= 0xC2 && c <= 0xDF) Expect(1, 0x80, 0xBF);
        else if (c == 0xE0) Expect(2, 0xA0, 0xBF);
        else if (c == 0xED) Expect(2, 0x80, 0x9F);
        else if (c >= 0xE1 && c <= 0xEF) Expect(2, 0x80, 0xBF);
        else if (c == 0xF0) Expect(3, 0x90, 0xBF);
        else if (c >= 0xF1 && c <= 0xF3) Expect(3, 0x80, 0xBF);
        else if (c == 0xF4) Expect(3, 0x80, 0x8F);
        else valid_ = false;
    }
    bool Valid() const { return valid_ && pending_ == 0; }

private:
    void Expect(int count, unsigned char low, unsigned char high) {
        pending_ = count;
        low_ = low;
        high_ = high;
    }
    bool valid_ = true;
    int pending_ = 0;
    unsigned char low_ = 0x80;
    unsigned char high_ = 0xBF;
};

char SeparatorOfFirstLine(const std::string& line) {
    std::size_t commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    if (commas == 0 && (semicolons > 0 || tabs > 0)) return tabs > semicolons ? '\t' : ';';
    return ',';
}

// One "?" for a character the code page cannot hold: the whole UTF-8
// sequence, or the single byte of an 8-bit text.
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

char32_t CodePointOf(const char* at, std::size_t length) {
    const auto byte = [at](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(at[i])); };
    if (length == 2) return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    if (length == 3) return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    if (length == 4) return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    return byte(0);
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

TCsvTextKind ScanCsvText(std::istream& in) {
    TCsvTextKind kind;
    TUtf8Check utf8;
    std::string firstLine;
    bool firstLineDone = false;
    std::uint64_t offset = 0;
    std::array<char, 65536> block{};
    auto& buffer = *in.rdbuf();
    if (buffer.sgetc() == 0xFF || buffer.sgetc() == 0xFE) {
        const int first = buffer.sbumpc();
        const int second = buffer.sgetc();
        if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) {
            buffer.sbumpc();
            kind.Encoding = first == 0xFF ? TCsvEncoding::Utf16LittleEndian : TCsvEncoding::Utf16BigEndian;
            return kind;
        }
        buffer.sungetc();
    }
    while (in.read(block.data(), block.size()) || in.gcount() > 0) {
        const auto count = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < count; ++i, ++offset) {
            const auto c = static_cast<unsigned char>(block[i]);
            if (c == 0 && offset < TextProbeBytes) {
                kind.Encoding = TCsvEncoding::NotText;
                return kind;
            }
            utf8.Feed(c);
            if (!firstLineDone) {
                if (c == '\n' || c == '\r' || firstLine.size() >= FirstLineBytes) firstLineDone = true;
                else firstLine += static_cast<char>(c);
            }
        }
    }
    kind.Encoding = utf8.Valid() ? TCsvEncoding::Utf8 : TCsvEncoding::Windows1252;
    kind.Separator = SeparatorOfFirstLine(firstLine);
    return kind;
}

std::string Utf16ToUtf8(std::istream& in, bool bigEndian) {
    auto& buffer = *in.rdbuf();
    std::string out;
    const auto unit = [&buffer, bigEndian]() -> std::int32_t {
        const int first = buffer.sbumpc();
        if (first == std::char_traits<char>::eof()) return -1;
        const int second = buffer.sbumpc();
        if (second == std::char_traits<char>::eof()) return -2;
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    constexpr char32_t Replacement = 0xFFFD;
    std::int32_t pending = -1;  // a unit read ahead
    while (true) {
        const std::int32_t u = pending >= 0 ? pending : unit();
        pending = -1;
        if (u == -1) break;
        if (u == -2) {
            AppendUtf8(out, Replacement);
            break;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            const std::int32_t low = unit();
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00));
                continue;
            }
            AppendUtf8(out, Replacement);
            if (low == -2) AppendUtf8(out, Replacement);
            if (low < 0) break;
            pending = low;
            continue;
        }
        AppendUtf8(out, u >= 0xDC00 && u <= 0xDFFF ? Replacement : static_cast<char32_t>(u));
    }
    return out;
}

void SkipByteOrderMark(std::istream& in) {
    auto& buffer = *in.rdbuf();
    static constexpr unsigned char Mark[] = {0xEF, 0xBB, 0xBF};
    for (const unsigned char byte : Mark) {
        if (buffer.sgetc() != byte) return;
        buffer.sbumpc();
    }
}

TCsvTextConverter::TCsvTextConverter(TCsvEncoding encoding, std::int32_t codePage) : encoding_(encoding) {
    const std::int32_t source = encoding == TCsvEncoding::Windows1252 ? Windows1252Page : Utf8Page;
    if (source == codePage) return;
    toCodePage_ = std::make_unique<TIconv>(CodePageEncodingName(codePage), CodePageEncodingName(source));
    if (!toCodePage_->Valid())
        throw EConvertError(Format("Code page %d is not supported by the system's text conversion.", codePage));
}

TCsvTextConverter::~TCsvTextConverter() = default;

std::string TCsvTextConverter::Convert(const std::string& text) const {
    if (!toCodePage_ || IsAscii(text)) return text;
    const bool utf8 = encoding_ == TCsvEncoding::Utf8;
    return toCodePage_->Convert(text, [this, utf8](const char* at, std::size_t left, std::string& out) {
        out += '?';
        const std::size_t length = utf8 ? std::min(left, Utf8Length(static_cast<unsigned char>(*at))) : std::size_t{1};
        if (replaced_++ == 0) firstReplaced_ = utf8 ? CodePointOf(at, length) : 0;
        return length;
    });
}

std::string TCsvTextConverter::ToUtf8(const std::string& text) const {
    return encoding_ == TCsvEncoding::Windows1252 ? CodePageToUtf8(text, Windows1252Page) : text;
}

}  // namespace kestro
