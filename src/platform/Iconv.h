#pragma once
// The one owner of iconv conversion handles. Every text conversion of the
// program (names into the output code page, links back to UTF-8, the XML
// reader's tables, the XML writer, the inspector's decoding) goes through it.
// On Windows the system's code page services do the work behind the same face.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kestro {

class TIconv {
public:
    // A handle converting from `source` into `target`; not Valid() when the
    // system has no such conversion.
    TIconv(const std::string& target, const std::string& source);
    ~TIconv();
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    bool Valid() const;

    // Called for a sequence the conversion rejects (`at`, with `left` input
    // bytes from there): appends its replacement to `out` and returns how
    // many input bytes (at least 1) it stands for.
    using TRejected = std::function<std::size_t(const char* at, std::size_t left, std::string& out)>;

    // The whole text converted from the initial state, ending in it again;
    // after a rejected sequence the conversion starts afresh behind it.
    // EConvertError for a failure that is no rejected sequence.
    std::string Convert(std::string_view text, const TRejected& rejected) const;

    // One short piece (a character) from a fresh state, with the final shift
    // sequence; false when it is invalid or incomplete (`incomplete` set for
    // the latter, a character longer than the piece).
    bool ConvertPiece(std::string_view piece, std::string& out, bool& incomplete) const;

private:
    // The system's side of the conversion (an iconv handle; on Windows two
    // code page numbers), made by the constructor and never null.
    struct TConversion;
    std::unique_ptr<TConversion> conversion_;
};

}  // namespace kestro
