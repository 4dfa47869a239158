#pragma once
// The character source of the text reader: converted characters of the
// working code page, one current character at a time, with line and column.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <deque>

#include "xml/XmlInput.h"
#include "xml/XmlTranscoder.h"

namespace kestro {

class TXmlSource {
public:
    // Bytes read and converted at a time once the encoding is known.
    static constexpr std::size_t BlockSize = 16384;

    // Reads the first character at once.
    explicit TXmlSource(TXmlByteInput& input);
    TXmlSource(const TXmlSource&) = delete;
    TXmlSource& operator=(const TXmlSource&) = delete;

    // The character under examination; 0 at the end of input.
    char Current() const { return Current_; }
    bool EndOfInput() const { return AtEnd_; }
    // Advances to the next character; false at the end of input.
    bool NextChar() {
        if (Pos_ != End_) {
            Take(*Pos_++);
            return true;
        }
        return NextCharSlow();
    }
    void SkipBlanks() {
        while (!AtEnd_ && static_cast<unsigned char>(Current_) <= 32) NextChar();
    }
    void ExpectChar(char expected);
    void ExpectText(std::string_view expected);

    // Texts returned as views stay valid until the next token is begun at the
    // same stack level (the caller uses them before reading on).
    std::string_view ReadName();
    // Current character is the quote; references are decoded.
    std::string_view ReadQuoted();
    // Up to the first occurrence of the terminator, which is consumed.
    std::string_view ReadUntil(std::string_view terminator);
    // Characters up to "<" or the end of input, references decoded.
    std::string_view ReadCharacterData();
    // Current character is "&"; the character the reference stands for, as
    // bytes of the working code page ("?" where it has no such character).
    std::string_view ReadEntity();

    void BeginToken();
    void AppendChar(char c) { Tokens_[static_cast<std::size_t>(Top_)] += c; }
    void AppendText(std::string_view text) { Tokens_[static_cast<std::size_t>(Top_)] += text; }
    std::string_view EndToken();
    // Gives back the room of ended tokens of more than 1 MiB, once their
    // text has been copied out: a huge value is then not held twice.
    void ReleaseEndedTokens();

    std::uint16_t SourceCodePage() const { return SourceCodePage_; }
    // Takes effect from the next refill; none after FixSourceCodePage.
    void SetSourceCodePage(std::uint16_t codePage);
    // The encoding a byte-order mark gave: a declaration does not change it.
    void FixSourceCodePage(std::uint16_t codePage) {
        SetSourceCodePage(codePage);
        EncodingFixed_ = true;
    }

    std::int64_t Line() const { return Line_; }
    std::int64_t Column() const { return Column_; }
    // Raises the message followed by " at [line:column]".
    [[noreturn]] void Fail(const std::string& message) const;

private:
    // Per byte: 1 ends a run, 2 is a line feed.
    using TRunTable = std::array<std::uint8_t, 256>;

    void Take(char c) {
        Current_ = c;
        ++Column_;
        if (c == '\n') {
            ++Line_;
            Column_ = 0;
        }
    }
    bool NextCharSlow();
    bool Refill();
    // Appends the current character and the following ones to the top token
    // until a character that ends the run (left current) or the end of input.
    void AppendRun(const TRunTable& table);
    // The number of a character reference; past the last character it stays
    // at UnicodeEnd.
    std::uint32_t ReadNumber(bool hexadecimal);
    std::string_view EncodeReference(std::uint32_t codePoint);
    // Input bytes: those put back at the switch to an encoding first.
    std::size_t ReadInput(char* target, std::size_t count);

    TXmlByteInput& Input_;
    const TXmlEncoder* Encoder_ = nullptr;
    const TXmlDecoder* Decoder_ = nullptr;
    // Converted characters; a unit may take up to 4 bytes in the working code
    // page, so a whole block always fits.
    std::unique_ptr<char[]> Chars_;
    std::unique_ptr<unsigned char[]> Raw_;
    std::unique_ptr<char16_t[]> Units_;
    const char* Pos_ = nullptr;
    const char* End_ = nullptr;
    char Current_ = 0;
    bool AtEnd_ = false;
    std::uint16_t SourceCodePage_ = 0;
    bool EncodingFixed_ = false;  // by a byte-order mark
    // Bytes of an incomplete UTF-8 sequence at the end of the last read.
    unsigned char Carry_[4] = {};
    std::size_t CarryLength_ = 0;
    const TXmlEncoder* ReferenceEncoder_ = nullptr;  // of the working code page, from the first reference
    char Reference_[2 * TXmlEncoder::MaxBytesPerUnit] = {};
    std::string Pending_;
    std::size_t PendingPos_ = 0;
    std::deque<std::string> Tokens_;  // a deque keeps the buffers in place as it grows
    int Top_ = -1;
    std::int64_t Line_ = 1;
    std::int64_t Column_ = 0;
};

}  // namespace kestro
