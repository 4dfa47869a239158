#include "gpi/GpiUtil.h"

#include <cmath>

#include "diag/Exceptions.h"
#include "gpi/ExtendedReal.h"
#include "xml/XmlCodePage.h"

namespace kestro {

namespace {

constexpr std::size_t MaxStringLength = 0xFFFF;
constexpr std::size_t MaxLangStringLength = 0xFFFF - 4;  // the outer length counts the 4-byte entry head too

// A text longer than its 16-bit length field would leave a wrapped length in
// front of all its bytes and every record after it would be misread; it is
// cut instead, in UTF-8 output never inside a character.
std::size_t FittedLength(const Bytes& text, std::size_t maxLength) {
    if (text.size() <= maxLength) return text.size();
    std::size_t cut = maxLength;
    if (XmlCodePage == 65001) {
        auto isContinuation = [&](std::size_t at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
        // text[cut] is the first byte dropped; when it continues a character,
        // the cut moves back to that character's first byte (at most three
        // bytes back; longer runs are no UTF-8 and are cut where they stand).
        std::size_t start = cut;
        while (start > 0 && cut - start < 3 && isContinuation(start)) --start;
        if (!isContinuation(start)) cut = start;
    }
    return cut;
}

}  // namespace

void AppendGpiWord(Bytes& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void AppendGpiDword(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

Bytes GpiWord(std::uint32_t value) {
    Bytes out;
    AppendGpiWord(out, value);
    return out;
}

Bytes GpiDword(std::uint32_t value) {
    Bytes out;
    AppendGpiDword(out, value);
    return out;
}

void AppendGpiString(Bytes& out, const Bytes& text) {
    const std::size_t length = FittedLength(text, MaxStringLength);
    AppendGpiWord(out, static_cast<std::uint32_t>(length));
    out.append(text, 0, length);
}

Bytes GpiString(const Bytes& text) {
    Bytes out;
    AppendGpiString(out, text);
    return out;
}

// Every entry is cut as a single one would be, so that a text reads the same
// in each language, whatever their number.
void AppendGpiLangEntry(Bytes& out, const Bytes& language, const Bytes& text) {
    const std::size_t length = FittedLength(text, MaxLangStringLength);
    out.append(language, 0, 2);
    if (language.size() < 2) out.append(2 - language.size(), ' ');
    AppendGpiWord(out, static_cast<std::uint32_t>(length));
    out.append(text, 0, length);
}

Bytes GpiLangString(const Bytes& text) {
    Bytes out = GpiDword(static_cast<std::uint32_t>(FittedLength(text, MaxLangStringLength) + 4));
    AppendGpiLangEntry(out, "EN", text);
    return out;
}

Bytes GpiLangString(const TGpiText& entries) {
    Bytes out(4, '\0');
    for (const auto& entry : entries) AppendGpiLangEntry(out, entry.Language, entry.Text);
    return GpiDword(RecordLength(out.size() - 4)).append(out, 4);
}

Bytes GpiRecord(std::uint16_t type, const Bytes& main, const Bytes& extra) {
    Bytes out;
    // One allocation: a group record is as large as its share of the output
    // file, and growing it step by step would briefly hold it twice more.
    out.reserve(12 + main.size() + extra.size());
    out += GpiWord(type);
    out += GpiWord(extra.empty() ? 0 : 8);
    out += GpiDword(RecordLength(std::uint64_t{main.size()} + extra.size()));
    if (!extra.empty()) out += GpiDword(RecordLength(main.size()));
    out += main;
    out += extra;
    return out;
}

std::uint32_t RecordLength(std::uint64_t size) {
    if (size > MaxRecordData)
        throw EFormatLimit(Format("A record of %llu bytes passes the 4 GiB (%llu bytes) its length field holds",
                                  static_cast<unsigned long long>(size), static_cast<unsigned long long>(MaxRecordData)));
    return static_cast<std::uint32_t>(size);
}

const TExtendedReal& SemicirclesPerDegree() {
    static const TExtendedReal factor = ExtendedQuotient(2147483648, 180);
    return factor;
}

std::int32_t DegToSemicircles(double degrees) {
    // In extended precision, as the format's first writers did; anything out
    // of 64-bit range (or NaN) truncates to the "integer indefinite"
    // 0x8000000000000000, whose low 32 bits are 0.
    const TExtendedReal product = ExtendedProduct(SemicirclesPerDegree(), ExtendedOf(degrees));
    const auto whole = TruncatedInt64(product);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

}  // namespace kestro
