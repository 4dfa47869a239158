#include "xml/XmlSource.h"

#include <algorithm>
#include <cstring>

#include "diag/Exceptions.h"
#include "platform/CodePages.h"
#include "xml/XmlChars.h"
#include "xml/XmlCodePage.h"
#include "xml/XmlError.h"

namespace kestro {

namespace {

constexpr std::uint8_t EndsRun = 1;
constexpr std::uint32_t UnicodeEnd = 0x110000;  // one past the last character
constexpr std::uint8_t LineFeed = 2;

constexpr std::array<std::uint8_t, 256> MakeRunTable(std::string_view stops, bool nameRun) {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        bool ends = nameRun && !(xmlchars::Classes[c] & xmlchars::NameChar);
        for (char stop : stops) ends = ends || c == static_cast<unsigned char>(stop);
        table[c] = static_cast<std::uint8_t>((ends ? EndsRun : 0) | (c == '\n' ? LineFeed : 0));
    }
    return table;
}

constexpr auto TextRun = MakeRunTable("<&", false);
constexpr auto DoubleQuotedRun = MakeRunTable("\"<&", false);
constexpr auto SingleQuotedRun = MakeRunTable("'<&", false);
constexpr auto NameRun = MakeRunTable("", true);

}  // namespace

TXmlSource::TXmlSource(TXmlByteInput& input)
    : Input_(input),
      Chars_(std::make_unique<char[]>(BlockSize * TXmlEncoder::MaxBytesPerUnit)),
      Raw_(std::make_unique<unsigned char[]>(BlockSize)),
      Units_(std::make_unique<char16_t[]>(BlockSize)) {
    NextChar();
}

void TXmlSource::Fail(const std::string& message) const {
    RaiseXmlError(Format("%s at [%lld:%lld]", message.c_str(), static_cast<long long>(Line_),
                         static_cast<long long>(Column_)));
}

bool TXmlSource::NextCharSlow() {
    if (AtEnd_ || !Refill()) {
        AtEnd_ = true;
        Current_ = 0;
        Pos_ = End_ = nullptr;
        return false;
    }
    Take(*Pos_++);
    return true;
}

void TXmlSource::SetSourceCodePage(std::uint16_t codePage) {
    if (EncodingFixed_) return;
    if (codePage != 0) {
        Encoder_ = &TXmlEncoder::For(XmlCodePage);
        Decoder_ = codePage == Utf8CodePage ? nullptr : &TXmlDecoder::For(codePage);
    }
    if (SourceCodePage_ == 0 && codePage != 0) {
        // Bytes read ahead without an encoding that have not been taken yet
        // are put back and converted, so the declared encoding applies from
        // the very next byte, as if the bytes had been read one at a time.
        Pending_.erase(0, PendingPos_);
        Pending_.insert(0, Pos_ ? Pos_ : "", static_cast<std::size_t>(End_ - Pos_));
        PendingPos_ = 0;
        End_ = Pos_;
    }
    SourceCodePage_ = codePage;
}

std::size_t TXmlSource::ReadInput(char* target, std::size_t count) {
    std::size_t taken = std::min(count, Pending_.size() - PendingPos_);
    std::memcpy(target, Pending_.data() + PendingPos_, taken);
    PendingPos_ += taken;
    if (PendingPos_ == Pending_.size()) {
        Pending_.clear();
        PendingPos_ = 0;
    }
    return taken + (taken < count ? Input_.Read(target + taken, count - taken) : 0);
}

bool TXmlSource::Refill() {
    char* chars = Chars_.get();
    for (;;) {
        std::size_t count = 0;
        if (SourceCodePage_ == 0) {
            // Before the encoding is known every byte is one character, taken
            // unchanged (see SetSourceCodePage for the switch).
            count = ReadInput(chars, BlockSize);
            if (count == 0) return false;
        } else if (SourceCodePage_ == Utf8CodePage) {
            std::memcpy(Raw_.get(), Carry_, CarryLength_);
            std::size_t got = ReadInput(reinterpret_cast<char*>(Raw_.get()) + CarryLength_, BlockSize - CarryLength_);
            std::size_t total = CarryLength_ + got;
            const unsigned char* raw = Raw_.get();
            bool copyAscii = Encoder_->AsciiSafe();
            std::size_t used = 0;
            while (used < total) {
                // ASCII runs are copied as they stand; the rest goes through 16-bit units.
                if (copyAscii) {
                    while (used < total && raw[used] < 0x80) chars[count++] = static_cast<char>(raw[used++]);
                    if (used == total) break;
                }
                std::size_t unitCount = 0;
                std::size_t consumed = DecodeXmlUtf8(raw + used, total - used, Units_.get(), BlockSize, unitCount, copyAscii);
                if (consumed == 0) break;  // an incomplete sequence, carried to the next read
                count += Encoder_->Encode(Units_.get(), unitCount, chars + count);
                used += consumed;
            }
            CarryLength_ = total - used;
            std::memcpy(Carry_, raw + used, CarryLength_);
            if (got == 0 && CarryLength_ > 0) {
                // The input ended inside a sequence: it reads as one "?".
                const char16_t question = u'?';
                count += Encoder_->Encode(&question, 1, chars + count);
                CarryLength_ = 0;
            }
            if (count == 0) {
                if (got == 0) return false;
                continue;
            }
        } else {
            std::size_t got = ReadInput(reinterpret_cast<char*>(Raw_.get()), BlockSize);
            if (got == 0) return false;
            Decoder_->Decode(Raw_.get(), got, Units_.get());
            count = Encoder_->Encode(Units_.get(), got, chars);
        }
        Pos_ = chars;
        End_ = chars + count;
        return true;
    }
}

void TXmlSource::AppendRun(const TRunTable& table) {
    while (!AtEnd_) {
        if (table[static_cast<unsigned char>(Current_)] & EndsRun) return;
        // The current character sits just before Pos_ in the buffer.
        const char* start = Pos_ - 1;
        const char* scan = Pos_;
        const char* lastLineFeed = nullptr;
        std::int64_t lineFeeds = 0;
        while (scan != End_) {
            std::uint8_t kind = table[static_cast<unsigned char>(*scan)];
            if (kind) {
                if (kind & EndsRun) break;
                ++lineFeeds;
                lastLineFeed = scan;
            }
            ++scan;
        }
        Tokens_[static_cast<std::size_t>(Top_)].append(start, static_cast<std::size_t>(scan - start));
        // Every character after the current one up to scan has been current in turn.
        if (lastLineFeed) {
            Line_ += lineFeeds;
            Column_ = scan - 1 - lastLineFeed;
        } else {
            Column_ += scan - Pos_;
        }
        Pos_ = scan;
        if (!NextChar()) return;
    }
}

void TXmlSource::BeginToken() {
    ++Top_;
    if (static_cast<std::size_t>(Top_) == Tokens_.size()) Tokens_.emplace_back().reserve(32);
    std::string& token = Tokens_[static_cast<std::size_t>(Top_)];
    // The room one huge text took is given back, not kept for the rest of
    // the file beside the copies made of that text.
    constexpr std::size_t keptRoom = 1 << 20;
    if (token.capacity() > keptRoom) std::string().swap(token);
    else token.clear();
}

std::string_view TXmlSource::EndToken() { return Tokens_[static_cast<std::size_t>(Top_--)]; }

void TXmlSource::ReleaseEndedTokens() {
    constexpr std::size_t keptRoom = 1 << 20;
    for (auto i = static_cast<std::size_t>(Top_ + 1); i < Tokens_.size(); ++i)
        if (Tokens_[i].capacity() > keptRoom) std::string().swap(Tokens_[i]);
}

void TXmlSource::ExpectChar(char expected) {
    if (AtEnd_ || Current_ != expected) Fail(Format("Character \"%c\" expected", expected));
    NextChar();
}

void TXmlSource::ExpectText(std::string_view expected) {
    // Whole in the buffer and matching (as end tags are): compared at once.
    // None of the expected texts holds a line feed.
    if (!AtEnd_ && !expected.empty() && static_cast<std::size_t>(End_ - (Pos_ - 1)) > expected.size() &&
        std::memcmp(Pos_ - 1, expected.data(), expected.size()) == 0 &&
        expected.find('\n') == std::string_view::npos) {
        Pos_ += expected.size() - 1;
        Column_ += static_cast<std::int64_t>(expected.size()) - 1;
        Take(*Pos_++);
        return;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (AtEnd_ || Current_ != expected[i]) Fail(Format("Text \"%s\" expected", std::string(expected.substr(i)).c_str()));
        NextChar();
    }
}

std::string_view TXmlSource::ReadName() {
    if (AtEnd_ || !IsXmlNameStart(Current_)) Fail("Name must start with letter or \"_\"");
    BeginToken();
    AppendRun(NameRun);
    return EndToken();
}

std::string_view TXmlSource::ReadQuoted() {
    char quote = Current_;
    const TRunTable& run = quote == '"' ? DoubleQuotedRun : SingleQuotedRun;
    BeginToken();
    NextChar();
    for (;;) {
        AppendRun(run);
        if (AtEnd_) Fail(Format("\"%c\" expected", quote));
        if (Current_ == quote) break;
        if (Current_ == '<') Fail("Character \"<\" cannot be used in the values of attributes");
        AppendText(ReadEntity());
    }
    NextChar();
    return EndToken();
}

std::string_view TXmlSource::ReadUntil(std::string_view terminator) {
    TRunTable run{};
    run[static_cast<unsigned char>(terminator.back())] = EndsRun;
    run['\n'] |= LineFeed;
    BeginToken();
    std::string& token = Tokens_[static_cast<std::size_t>(Top_)];
    for (;;) {
        AppendRun(run);
        if (AtEnd_) Fail(Format("\"%s\" expected", std::string(terminator).c_str()));
        AppendChar(Current_);
        NextChar();
        if (token.size() >= terminator.size() && token.compare(token.size() - terminator.size(), terminator.size(), terminator) == 0) {
            token.resize(token.size() - terminator.size());
            return EndToken();
        }
    }
}

std::string_view TXmlSource::ReadCharacterData() {
    BeginToken();
    for (;;) {
        AppendRun(TextRun);
        if (AtEnd_ || Current_ == '<') break;
        AppendText(ReadEntity());
    }
    return EndToken();
}

std::uint32_t TXmlSource::ReadNumber(bool hexadecimal) {
    std::uint32_t value = 0;
    bool any = false;
    for (; !AtEnd_; NextChar()) {
        char c = Current_;
        std::uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
        else if (hexadecimal && c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (hexadecimal && c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else break;
        value = std::min<std::uint32_t>(value * (hexadecimal ? 16 : 10) + digit, UnicodeEnd);
        any = true;
    }
    if (!any) Fail(hexadecimal ? "Hexadecimal number expected" : "Number expected");
    return value;
}

std::string_view TXmlSource::EncodeReference(std::uint32_t codePoint) {
    char16_t units[2];
    std::size_t count = 1;
    if (codePoint < 0x10000) {
        units[0] = static_cast<char16_t>(codePoint);
    } else {
        const std::uint32_t offset = codePoint - 0x10000;
        units[0] = static_cast<char16_t>(0xD800 + (offset >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        count = 2;
    }
    if (ReferenceEncoder_ == nullptr) ReferenceEncoder_ = &TXmlEncoder::For(XmlCodePage);
    return {Reference_, ReferenceEncoder_->Encode(units, count, Reference_)};
}

std::string_view TXmlSource::ReadEntity() {
    if (!NextChar()) Fail("\"#\" or XML entity symbol name expected");
    if (Current_ == '#') {
        if (!NextChar()) Fail("Number expected");
        bool hexadecimal = Current_ == 'x';  // only a lower-case x
        if (hexadecimal) NextChar();
        const std::uint32_t value = ReadNumber(hexadecimal);
        // NUL, surrogates and the two non-characters are no characters in
        // any XML document; control characters are kept (XML 1.1 allows
        // them as references, and control bytes are written so).
        if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF)
            Fail(Format("Character reference to U+%04X is not allowed in XML", static_cast<unsigned>(value)));
        if (value >= UnicodeEnd) Fail("Character reference beyond U+10FFFF is not allowed in XML");
        ExpectChar(';');
        return EncodeReference(value);
    }
    static constexpr std::string_view predefined[] = {"&", "\"", "<", ">", "'"};
    std::string_view name = ReadName();
    int code = name == "amp" ? 0 : name == "quot" ? 1 : name == "lt" ? 2 : name == "gt" ? 3 : name == "apos" ? 4 : -1;
    std::string unknown = code < 0 ? std::string(name) : std::string();
    ExpectChar(';');
    if (code < 0) Fail(Format("Unknown XML entity symbol name \"%s\" found", unknown.c_str()));
    return predefined[code];
}

}  // namespace kestro
