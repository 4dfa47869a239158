#pragma once
// What kind of text a CSV file holds, which separator it uses, and its
// fields in the working code page.
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

namespace kestro {

class TIconv;

enum class TCsvEncoding { NotText, Utf8, Windows1252, Utf16LittleEndian, Utf16BigEndian };

struct TCsvTextKind {
    TCsvEncoding Encoding = TCsvEncoding::Utf8;
    char Separator = ',';
};

// Reads all of `in`: UTF-16 when it starts with a UTF-16 byte-order mark
// (its separator found once it is UTF-8); no text when a NUL byte lies in the
// first 4 KiB; UTF-8 when the whole text is valid UTF-8, else Windows-1252.
// The separator is "," unless the first line holds none but ";" or a tab
// (the more frequent of the two). A UTF-8 byte-order mark counts for nothing.
TCsvTextKind ScanCsvText(std::istream& in);

// The rest of `in`, UTF-16 of the given order, as UTF-8; a lone surrogate
// or a last odd byte becomes U+FFFD.
std::string Utf16ToUtf8(std::istream& in, bool bigEndian);

// Skips a UTF-8 byte-order mark at the stream's position.
void SkipByteOrderMark(std::istream& in);

// Field text of the file's encoding into the working code page; a character
// the code page cannot hold becomes "?".
class TCsvTextConverter {
public:
    TCsvTextConverter(TCsvEncoding encoding, std::int32_t codePage);
    ~TCsvTextConverter();
    TCsvTextConverter(const TCsvTextConverter&) = delete;
    TCsvTextConverter& operator=(const TCsvTextConverter&) = delete;

    std::string Convert(const std::string& text) const;
    // Characters that became "?" so far.
    std::int64_t Replaced() const { return replaced_; }
    char32_t FirstReplaced() const { return firstReplaced_; }
    // The field as UTF-8, for messages.
    std::string ToUtf8(const std::string& text) const;

private:
    TCsvEncoding encoding_;
    std::unique_ptr<TIconv> toCodePage_;  // null when the text stays as it is
    mutable std::int64_t replaced_ = 0;
    mutable char32_t firstReplaced_ = 0;
};

}  // namespace kestro
