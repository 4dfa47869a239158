#include "xml/XmlTranscoder.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "diag/Exceptions.h"
#include "platform/CodePages.h"
#include "platform/Iconv.h"
#include "xml/XmlError.h"

namespace kestro {

namespace {

bool IsContinuation(unsigned byte) { return (byte & 0xC0) == 0x80; }

// The length a lead byte announces; 1 for a byte that starts no sequence.
std::size_t SequenceLength(unsigned lead) {
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

std::size_t DecodeXmlUtf8(const unsigned char* bytes, std::size_t count, char16_t* units, std::size_t room,
                          std::size_t& unitCount, bool stopAtAscii) {
    std::size_t i = 0;
    std::size_t n = 0;
    while (i < count && n < room) {
        unsigned lead = bytes[i];
        if (lead < 0x80) {
            if (stopAtAscii) break;
            units[n++] = static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(lead);
        if (length == 1) {
            units[n++] = u'?';
            ++i;
            continue;
        }
        // A sequence cut short by a byte that is no continuation (Windows-1252
        // text in a file declared UTF-8) is one "?" and reading goes on at
        // that byte, so the lead cannot swallow the "<" of the next tag.
        std::size_t present = 1;
        while (present < length && i + present < count && IsContinuation(bytes[i + present])) ++present;
        if (present < length && i + present < count) {
            units[n++] = u'?';
            i += present;
            continue;
        }
        if (present < length) break;  // the rest may come with the next block
        if (length == 2) {
            units[n++] = static_cast<char16_t>((lead & 0x1F) << 6 | (bytes[i + 1] & 0x3F));
        } else if (length == 3) {
            units[n++] = static_cast<char16_t>((lead & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 | (bytes[i + 2] & 0x3F));
        } else {
            if (room - n < 2) break;
            std::uint32_t v = (lead & 0x07) << 18 | (bytes[i + 1] & 0x3Fu) << 12 | (bytes[i + 2] & 0x3Fu) << 6 |
                              (bytes[i + 3] & 0x3Fu);
            if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
                units[n++] = u'?';
            } else if (v >= 0x10000) {
                units[n++] = static_cast<char16_t>(((v - 0x10000) >> 10) + 0xD800);
                units[n++] = static_cast<char16_t>(((v - 0x10000) & 0x3FF) | 0xDC00);
            } else {
                units[n++] = static_cast<char16_t>(v);  // an overlong form, accepted
            }
        }
        i += length;
    }
    unitCount = n;
    return i;
}

namespace {

std::string Utf32Le(std::uint32_t codePoint) {
    char bytes[4] = {static_cast<char>(codePoint), static_cast<char>(codePoint >> 8),
                     static_cast<char>(codePoint >> 16), static_cast<char>(codePoint >> 24)};
    return std::string(bytes, 4);
}

// The code point of one decoded character, or -1 when the output is not exactly one.
std::int64_t SingleCodePoint(const std::string& utf32) {
    if (utf32.size() != 4) return -1;
    auto byte = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(utf32[i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

[[noreturn]] void RaiseUnsupportedCodePage(std::uint16_t codePage) {
    RaiseXmlError(Format("Code page %u is not supported by KestroXML", static_cast<unsigned>(codePage)));
}

}  // namespace

struct TXmlEncoder::TConverter {
    explicit TConverter(const std::string& name) : Handle(name, "UTF-32LE") {}
    TIconv Handle;
};

struct TXmlTranscoderCache {
    std::mutex Lock;
    std::map<std::uint16_t, std::unique_ptr<TXmlDecoder>> Decoders;
    std::map<std::uint16_t, std::unique_ptr<TXmlEncoder>> Encoders;

    static TXmlTranscoderCache& Instance() {
        static TXmlTranscoderCache cache;
        return cache;
    }

    static std::unique_ptr<TXmlDecoder> BuildDecoder(std::uint16_t codePage) {
        TIconv toUnicode("UTF-32LE", CodePageEncodingName(codePage));
        if (!toUnicode.Valid()) RaiseUnsupportedCodePage(codePage);
        auto decoder = std::make_unique<TXmlDecoder>();
        for (int b = 0; b < 256; ++b) {
            char byte = static_cast<char>(b);
            std::string utf32;
            bool incomplete;
            std::int64_t codePoint = toUnicode.ConvertPiece(std::string_view(&byte, 1), utf32, incomplete) ? SingleCodePoint(utf32) : -1;
            decoder->Units_[static_cast<std::size_t>(b)] =
                codePoint >= 0 && codePoint < 0x10000 ? static_cast<char16_t>(codePoint) : u'\xFFFD';
        }
        return decoder;
    }

    static std::unique_ptr<TXmlEncoder> BuildEncoder(std::uint16_t codePage) {
        auto encoder = std::make_unique<TXmlEncoder>();
        encoder->CodePage_ = codePage;
        if (codePage == Utf8CodePage) {
            encoder->Utf8_ = true;
            encoder->AsciiSafe_ = true;
            return encoder;
        }
        std::string name = CodePageEncodingName(codePage);
        TIconv toUnicode("UTF-32LE", name);
        if (!toUnicode.Valid()) RaiseUnsupportedCodePage(codePage);
        // A code page where some byte starts a longer sequence is multi-byte.
        std::vector<std::int64_t> decoded(256, -1);
        bool multiByte = false;
        for (int b = 0; b < 256; ++b) {
            char byte = static_cast<char>(b);
            std::string utf32;
            bool incomplete;
            if (toUnicode.ConvertPiece(std::string_view(&byte, 1), utf32, incomplete)) decoded[static_cast<std::size_t>(b)] = SingleCodePoint(utf32);
            multiByte = multiByte || incomplete;
        }
        if (!multiByte) {
            // The inverse of the decoding: exactly the characters the code page holds.
            encoder->Single_.assign(0x10000, -1);
            for (int b = 0; b < 256; ++b) {
                std::int64_t codePoint = decoded[static_cast<std::size_t>(b)];
                if (codePoint >= 0 && codePoint < 0x10000 && encoder->Single_[static_cast<std::size_t>(codePoint)] < 0)
                    encoder->Single_[static_cast<std::size_t>(codePoint)] = static_cast<std::int16_t>(b);
            }
            std::int16_t question = encoder->Single_['?'];
            encoder->Question_ = question >= 0 ? std::string(1, static_cast<char>(question)) : "?";
            encoder->AsciiSafe_ = true;
            for (int c = 0; c < 128; ++c) encoder->AsciiSafe_ = encoder->AsciiSafe_ && encoder->Single_[c] == c;
            return encoder;
        }
        encoder->Iconv_ = std::make_unique<TXmlEncoder::TConverter>(name);
        encoder->Pages_.resize(256);
        TXmlEncoder::TCell cell{};
        encoder->Convert('?', cell);
        if (cell.Length > 0) encoder->Question_.assign(cell.Bytes, cell.Length);
        encoder->AsciiSafe_ = true;
        for (std::uint32_t c = 0; c < 128 && encoder->AsciiSafe_; ++c) {
            encoder->Convert(c, cell);
            encoder->AsciiSafe_ = cell.Length == 1 && static_cast<unsigned char>(cell.Bytes[0]) == c;
        }
        return encoder;
    }
};

const TXmlDecoder& TXmlDecoder::For(std::uint16_t codePage) {
    if (codePage == 0) codePage = 1252;  // the system code page
    auto& cache = TXmlTranscoderCache::Instance();
    std::lock_guard<std::mutex> guard(cache.Lock);
    auto& slot = cache.Decoders[codePage];
    if (!slot) slot = TXmlTranscoderCache::BuildDecoder(codePage);
    return *slot;
}

const TXmlEncoder& TXmlEncoder::For(std::uint16_t codePage) {
    if (codePage == 0) codePage = 1252;  // the system code page
    auto& cache = TXmlTranscoderCache::Instance();
    std::lock_guard<std::mutex> guard(cache.Lock);
    auto& slot = cache.Encoders[codePage];
    if (!slot) {
        auto built = TXmlTranscoderCache::BuildEncoder(codePage);
        slot = std::move(built);
    }
    return *slot;
}

TXmlReplaced& XmlReplacedCharacters() {
    thread_local TXmlReplaced replaced;
    return replaced;
}

namespace {

void NoteReplaced(std::uint32_t codePoint) {
    TXmlReplaced& replaced = XmlReplacedCharacters();
    if (replaced.Count++ == 0) replaced.First = codePoint;
}

}  // namespace

TXmlEncoder::TXmlEncoder() = default;
TXmlEncoder::~TXmlEncoder() = default;

void TXmlEncoder::Convert(std::uint32_t codePoint, TCell& cell) const {
    std::string input = Utf32Le(codePoint);
    std::string output;
    bool incomplete;
    if (Iconv_->Handle.Valid() && Iconv_->Handle.ConvertPiece(input, output, incomplete) &&
        !output.empty() && output.size() <= MaxBytesPerUnit) {
        std::memcpy(cell.Bytes, output.data(), output.size());
        cell.Length = static_cast<std::uint8_t>(output.size());
    } else {
        std::memcpy(cell.Bytes, Question_.data(), Question_.size());
        cell.Length = static_cast<std::uint8_t>(Question_.size());
    }
}

std::size_t TXmlEncoder::Replacement(char* out) const {
    std::memcpy(out, Question_.data(), Question_.size());
    return Question_.size();
}

std::size_t TXmlEncoder::EncodeCodePoint(std::uint32_t codePoint, char* out) const {
    if (Utf8_) {
        if (codePoint < 0x80) {
            out[0] = static_cast<char>(codePoint);
            return 1;
        }
        if (codePoint < 0x800) {
            out[0] = static_cast<char>(0xC0 | codePoint >> 6);
            out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
            return 2;
        }
        if (codePoint < 0x10000) {
            out[0] = static_cast<char>(0xE0 | codePoint >> 12);
            out[1] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
            out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
            return 3;
        }
        out[0] = static_cast<char>(0xF0 | codePoint >> 18);
        out[1] = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 4;
    }
    if (!Single_.empty()) {
        if (codePoint < 0x10000 && Single_[codePoint] >= 0) {
            out[0] = static_cast<char>(Single_[codePoint]);
            return 1;
        }
        NoteReplaced(codePoint);
        return Replacement(out);
    }
    TCell cell{};
    TCell* source = &cell;
    if (codePoint < 0x10000) {
        auto& page = Pages_[codePoint >> 8];
        if (!page) page = std::make_unique<TPage>();
        source = &(*page)[codePoint & 0xFF];
        if (source->Length == 0) Convert(codePoint, *source);
    } else {
        Convert(codePoint, cell);
    }
    if (codePoint != '?' && source->Length == Question_.size() && std::memcmp(source->Bytes, Question_.data(), Question_.size()) == 0)
        NoteReplaced(codePoint);
    std::memcpy(out, source->Bytes, source->Length);
    return source->Length;
}

std::size_t TXmlEncoder::Encode(const char16_t* units, std::size_t count, char* out) const {
    char* start = out;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t unit = units[i];
        if (unit < 0x80 && AsciiSafe_) {
            *out++ = static_cast<char>(unit);
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
                   units[i + 1] <= 0xDFFF) {
            std::uint32_t codePoint = 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
            out += EncodeCodePoint(codePoint, out);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += Replacement(out);
        } else {
            out += EncodeCodePoint(unit, out);
        }
    }
    return static_cast<std::size_t>(out - start);
}

}  // namespace kestro
