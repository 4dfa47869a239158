#include "platform/Iconv.h"

#include <windows.h>

#include <array>
#include <charconv>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/TextConversion.h"

namespace kestro {

namespace {

// UTF-32LE has a Windows number, but the system converts only into UTF-16;
// it and UTF-8 are done here, every other code page by the system.
constexpr std::uint32_t Utf32CodePage = 12000;
constexpr std::int64_t Rejected = -1;

std::uint32_t CodePageNumber(const std::string& name) {
    static const std::pair<const char*, std::uint32_t> named[] = {
        {"UTF-8", CP_UTF8}, {"UTF-32LE", Utf32CodePage}, {"ASCII", 20127}, {"KOI8-R", 20866},
        {"KOI8-U", 21866}, {"GB18030", 54936}, {"EUC-JP", 51932}, {"EUC-KR", 51949}, {"MACINTOSH", 10000}};
    for (const auto& [text, number] : named)
        if (SameIgnoringAsciiCase(name, text)) return number;
    auto numberAfter = [&](std::string_view prefix, std::uint32_t offset) -> std::uint32_t {
        if (name.size() <= prefix.size() || !SameIgnoringAsciiCase(name.substr(0, prefix.size()), prefix)) return 0;
        std::uint32_t value = 0;
        const char* end = name.data() + name.size();
        const auto [stop, error] = std::from_chars(name.data() + prefix.size(), end, value);
        return error == std::errc() && stop == end && value > 0 && value < 65536 - offset ? value + offset : 0;
    };
    if (const auto iso = numberAfter("ISO-8859-", 28590); iso != 0) return iso;
    return numberAfter("CP", 0);
}

bool Available(std::uint32_t codePage) {
    return codePage == CP_UTF8 || codePage == Utf32CodePage || (codePage != 0 && IsValidCodePage(codePage) != 0);
}

// Bytes the system decodes into a private-use character, or, in the Windows
// code pages, into a C1 control, are undefined in those code pages; they
// become "?" as on the other systems instead of passing through.
bool UndefinedDecoding(std::uint32_t codePage, char32_t c) {
    if (c >= 0xE000 && c <= 0xF8FF) return true;
    const bool windowsPage = codePage == 874 || (codePage >= 1250 && codePage <= 1258);
    return windowsPage && c >= 0x80 && c <= 0x9F;
}

// One character of a code page decoded by the system, or Rejected;
// `incomplete` is set when the bytes begin a longer character.
std::int64_t DecodeSystem(std::uint32_t codePage, std::string_view bytes, bool& incomplete) {
    incomplete = false;
    wchar_t units[4];
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                          units, 4);
    char32_t c = 0;
    if (count == 1 && (units[0] < 0xD800 || units[0] > 0xDFFF)) c = units[0];
    else if (count == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF && units[1] >= 0xDC00 && units[1] <= 0xDFFF)
        c = 0x10000 + ((static_cast<char32_t>(units[0]) - 0xD800) << 10) + (static_cast<char32_t>(units[1]) - 0xDC00);
    else {
        incomplete = bytes.size() == 1 && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[0])) != 0;
        return Rejected;
    }
    return UndefinedDecoding(codePage, c) ? Rejected : static_cast<std::int64_t>(c);
}

std::size_t MaxCharSize(std::uint32_t codePage) {
    CPINFO information{};
    return GetCPInfo(codePage, &information) ? std::max<std::size_t>(information.MaxCharSize, 1) : 1;
}

// What a single-byte code page decodes each byte into, and the inverse:
// exactly the characters it holds, so no "best fit" substitution happens.
struct TByteTable {
    std::array<std::int64_t, 256> Decoded{};
    std::map<char32_t, char> Encoded;
};

// Built once per code page; null for a multi-byte code page.
const TByteTable* ByteTable(std::uint32_t codePage) {
    static std::mutex mutex;
    static std::map<std::uint32_t, std::unique_ptr<TByteTable>> tables;
    const std::lock_guard lock(mutex);
    const auto found = tables.find(codePage);
    if (found != tables.end()) return found->second.get();
    std::unique_ptr<TByteTable> table;
    if (codePage != CP_UTF8 && codePage != Utf32CodePage && MaxCharSize(codePage) == 1) {
        table = std::make_unique<TByteTable>();
        for (int b = 255; b >= 0; --b) {
            const char byte = static_cast<char>(b);
            bool incomplete = false;
            table->Decoded[static_cast<std::size_t>(b)] = DecodeSystem(codePage, std::string_view(&byte, 1), incomplete);
            if (table->Decoded[static_cast<std::size_t>(b)] != Rejected)
                table->Encoded[static_cast<char32_t>(table->Decoded[static_cast<std::size_t>(b)])] = byte;
        }
    }
    return (tables[codePage] = std::move(table)).get();
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The character at the start of `text`, with its length in bytes; Rejected
// with `incomplete` set when the text ends inside a valid beginning.
std::int64_t DecodeOne(std::uint32_t codePage, const TByteTable* table, std::string_view text, std::size_t& length,
                       bool& incomplete) {
    incomplete = false;
    length = 1;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (table != nullptr) return table->Decoded[byte(0)];
    if (codePage == Utf32CodePage) {
        length = 4;
        if (text.size() < 4) {
            incomplete = true;
            return Rejected;
        }
        const char32_t c = byte(0) | byte(1) << 8 | byte(2) << 16 | static_cast<char32_t>(byte(3)) << 24;
        return c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? Rejected : static_cast<std::int64_t>(c);
    }
    if (codePage == CP_UTF8) {
        const std::size_t expected = Utf8Length(byte(0));
        if (expected == 0) return Rejected;
        char32_t c = expected == 1 ? byte(0) : byte(0) & (0xFF >> (expected + 1));
        for (std::size_t i = 1; i < expected; ++i) {
            if (i >= text.size()) {
                incomplete = true;
                return Rejected;
            }
            if ((byte(i) & 0xC0) != 0x80) return Rejected;
            c = (c << 6) | (byte(i) & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are no characters.
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < smallest[expected] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return Rejected;
        length = expected;
        return c;
    }
    const std::size_t longest = std::min(MaxCharSize(codePage), text.size());
    for (std::size_t size = 1; size <= longest; ++size) {
        bool begins = false;
        const std::int64_t c = DecodeSystem(codePage, text.substr(0, size), begins);
        if (c != Rejected) {
            length = size;
            return c;
        }
        if (size == 1) incomplete = begins && text.size() == 1;
    }
    return Rejected;
}

// Appends the character in the code page; false when the code page lacks it.
bool EncodeOne(std::uint32_t codePage, const TByteTable* table, char32_t c, std::string& out) {
    if (table != nullptr) {
        const auto found = table->Encoded.find(c);
        if (found == table->Encoded.end()) return false;
        out += found->second;
        return true;
    }
    if (codePage == Utf32CodePage) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>((c >> (8 * i)) & 0xFF);
        return true;
    }
    if (codePage == CP_UTF8) {
        AppendUtf8(out, c);
        return true;
    }
    wchar_t units[2];
    int unitCount = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        unitCount = 2;
    } else {
        units[0] = static_cast<wchar_t>(c);
    }
    char bytes[16];
    BOOL usedDefault = FALSE;
    // These code pages take no flags and no default character; they hold every character.
    const bool plain = codePage == 54936 || (codePage >= 50220 && codePage <= 50229) || codePage == 52936 ||
                       (codePage >= 57002 && codePage <= 57011) || codePage == 65000 || codePage == 42;
    const int count = WideCharToMultiByte(codePage, plain ? 0 : WC_NO_BEST_FIT_CHARS, units, unitCount, bytes,
                                          sizeof bytes, nullptr, plain ? nullptr : &usedDefault);
    if (count <= 0 || usedDefault) return false;
    // A character that does not come back as itself is no character of the code page.
    bool incomplete = false;
    std::size_t length = 0;
    if (DecodeOne(codePage, nullptr, std::string_view(bytes, static_cast<std::size_t>(count)), length, incomplete) !=
        static_cast<std::int64_t>(c))
        return false;
    out.append(bytes, static_cast<std::size_t>(count));
    return true;
}

}  // namespace

// Code page numbers, 0 when the system has none of that name.
struct TIconv::TConversion {
    std::uint32_t Source = 0;
    std::uint32_t Target = 0;
};

TIconv::TIconv(const std::string& target, const std::string& source) : conversion_(std::make_unique<TConversion>()) {
    const std::uint32_t targetPage = CodePageNumber(target);
    const std::uint32_t sourcePage = CodePageNumber(source);
    if (Available(targetPage) && Available(sourcePage)) {
        conversion_->Target = targetPage;
        conversion_->Source = sourcePage;
    }
}

TIconv::~TIconv() = default;

bool TIconv::Valid() const { return conversion_->Source != 0 && conversion_->Target != 0; }

std::string TIconv::Convert(std::string_view text, const TRejected& rejected) const {
    const std::uint32_t source = conversion_->Source;
    const std::uint32_t target = conversion_->Target;
    const TByteTable* sourceTable = ByteTable(source);
    const TByteTable* targetTable = ByteTable(target);
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = 1;
        bool incomplete = false;
        const std::int64_t c = DecodeOne(source, sourceTable, text, length, incomplete);
        if (c == Rejected || !EncodeOne(target, targetTable, static_cast<char32_t>(c), out)) {
            length = std::min(std::max<std::size_t>(rejected(text.data(), text.size(), out), 1), text.size());
        }
        text.remove_prefix(length);
    }
    return out;
}

bool TIconv::ConvertPiece(std::string_view piece, std::string& out, bool& incomplete) const {
    const std::uint32_t source = conversion_->Source;
    const std::uint32_t target = conversion_->Target;
    incomplete = false;
    out.clear();
    std::size_t length = 0;
    const std::int64_t c = DecodeOne(source, ByteTable(source), piece, length, incomplete);
    if (c == Rejected || length != piece.size()) return false;
    return EncodeOne(target, ByteTable(target), static_cast<char32_t>(c), out);
}

}  // namespace kestro
