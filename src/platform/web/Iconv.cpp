// The browser build's conversions: the C library's iconv (musl's), except
// into a code page of one byte per character. There musl writes "*" for a
// character the code page lacks where the other systems refuse it (and the
// program writes "?"), so the bytes come from a table of the code page made
// by decoding each of its 256 bytes. Into a code page of several bytes per
// character (Shift-JIS and the like) musl cannot convert at all: no such
// conversion is offered, and a run asking for one is refused.
#include "platform/Iconv.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "diag/Exceptions.h"

namespace kestro {

namespace {

const iconv_t NoHandle = reinterpret_cast<iconv_t>(-1);

// An open iconv handle, closed with its owner.
struct THandle {
    iconv_t Handle = NoHandle;
    THandle() = default;
    THandle(const std::string& target, const std::string& source) : Handle(iconv_open(target.c_str(), source.c_str())) {}
    ~THandle() {
        if (Handle != NoHandle) iconv_close(Handle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return Handle != NoHandle; }
};

bool IsUnicodeName(const std::string& name) {
    std::string upper;
    for (char c : name)
        if (c != '-' && c != '_') upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return upper.empty() || upper.rfind("UTF", 0) == 0 || upper.rfind("UCS", 0) == 0;
}

// Decodes one character (at most `left` bytes at `at`) into `character`;
// returns the bytes it took, 0 for a sequence the source rejects or that is
// cut off.
std::size_t DecodeOne(iconv_t toUtf32, const char* at, std::size_t left, char32_t& character) {
    iconv(toUtf32, nullptr, nullptr, nullptr, nullptr);
    char* input = const_cast<char*>(at);  // iconv's interface is not const-correct
    std::size_t inputLeft = left;
    char buffer[4];
    char* output = buffer;
    std::size_t outputLeft = sizeof buffer;
    iconv(toUtf32, &input, &inputLeft, &output, &outputLeft);
    // A decoder that holds a letter back for a mark that may follow (glibc's
    // 1255 and 1258) gives it at the end of the input.
    if (outputLeft != 0 && inputLeft == 0) iconv(toUtf32, nullptr, nullptr, &output, &outputLeft);
    if (outputLeft != 0) return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(buffer);
    character = static_cast<char32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
    return static_cast<std::size_t>(input - at);
}

}  // namespace

struct TIconv::TConversion {
    THandle Direct;   // the C library's conversion from source into target
    THandle ToUtf32;  // source into UTF-32LE, where the target is a table
    // The target code page's byte of each character it holds, where it has
    // one byte per character and is not Unicode.
    std::unordered_map<char32_t, char> TargetBytes;
    bool Table = false;
    bool Usable = false;
};

TIconv::TIconv(const std::string& target, const std::string& source) : conversion_(std::make_unique<TConversion>()) {
    TConversion& c = *conversion_;
    if (IsUnicodeName(target)) {
        c.Direct.Handle = iconv_open(target.c_str(), source.c_str());
        c.Usable = c.Direct.Valid();
        return;
    }
    const THandle fromTarget("UTF-32LE", target);
    c.ToUtf32.Handle = iconv_open("UTF-32LE", source.c_str());
    if (!fromTarget.Valid() || !c.ToUtf32.Valid()) return;
    for (int value = 255; value >= 0; --value) {
        const char byte = static_cast<char>(value);
        char32_t character = 0;
        if (DecodeOne(fromTarget.Handle, &byte, 1, character) == 1) {
            c.TargetBytes[character] = byte;  // the lowest byte of a character named twice
        } else {
            // A lead byte: several bytes per character, which musl does not write.
            iconv(fromTarget.Handle, nullptr, nullptr, nullptr, nullptr);
            char* input = const_cast<char*>(&byte);
            std::size_t inputLeft = 1;
            char buffer[8];
            char* output = buffer;
            std::size_t outputLeft = sizeof buffer;
            if (iconv(fromTarget.Handle, &input, &inputLeft, &output, &outputLeft) == static_cast<std::size_t>(-1) &&
                errno == EINVAL)
                return;
        }
    }
    c.Table = true;
    c.Usable = true;
}

TIconv::~TIconv() = default;

bool TIconv::Valid() const { return conversion_->Usable; }

std::string TIconv::Convert(std::string_view text, const TRejected& rejected) const {
    const TConversion& c = *conversion_;
    std::string out;
    if (c.Table) {
        const char* at = text.data();
        std::size_t left = text.size();
        while (left > 0) {
            char32_t character = 0;
            const std::size_t used = DecodeOne(c.ToUtf32.Handle, at, left, character);
            const auto found = used == 0 ? c.TargetBytes.end() : c.TargetBytes.find(character);
            std::size_t step = used;
            if (found != c.TargetBytes.end())
                out += found->second;
            else
                step = std::min(std::max<std::size_t>(rejected(at, left, out), 1), left);
            at += step;
            left -= step;
        }
        return out;
    }
    const iconv_t handle = c.Direct.Handle;
    std::vector<char> buffer(4 * text.size() + 16);
    auto flush = [&](const char* end) { out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data())); };
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* input = const_cast<char*>(text.data());
    std::size_t inputLeft = text.size();
    while (inputLeft > 0) {
        char* output = buffer.data();
        std::size_t outputLeft = buffer.size();
        const std::size_t result = iconv(handle, &input, &inputLeft, &output, &outputLeft);
        const int errorNumber = errno;
        flush(output);
        if (result != static_cast<std::size_t>(-1) || errorNumber == E2BIG) continue;
        if (errorNumber != EILSEQ && errorNumber != EINVAL)
            throw EConvertError(Format("Text conversion failed. %s", SystemErrorText(errorNumber).c_str()));
        const std::size_t skipped = std::min(std::max<std::size_t>(rejected(input, inputLeft, out), 1), inputLeft);
        input += skipped;
        inputLeft -= skipped;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    char* output = buffer.data();
    std::size_t outputLeft = buffer.size();
    iconv(handle, nullptr, nullptr, &output, &outputLeft);
    flush(output);
    return out;
}

bool TIconv::ConvertPiece(std::string_view piece, std::string& out, bool& incomplete) const {
    const TConversion& c = *conversion_;
    incomplete = false;
    if (c.Table) {
        std::string converted;
        const char* at = piece.data();
        std::size_t left = piece.size();
        while (left > 0) {
            char32_t character = 0;
            const std::size_t used = DecodeOne(c.ToUtf32.Handle, at, left, character);
            if (used == 0) {
                // Cut off, as iconv tells it: a start that more bytes would complete.
                iconv(c.ToUtf32.Handle, nullptr, nullptr, nullptr, nullptr);
                char* input = const_cast<char*>(at);
                std::size_t inputLeft = left;
                char buffer[8];
                char* output = buffer;
                std::size_t outputLeft = sizeof buffer;
                incomplete = iconv(c.ToUtf32.Handle, &input, &inputLeft, &output, &outputLeft) ==
                                 static_cast<std::size_t>(-1) &&
                             errno == EINVAL;
                return false;
            }
            const auto found = c.TargetBytes.find(character);
            if (found == c.TargetBytes.end()) return false;
            converted += found->second;
            at += used;
            left -= used;
        }
        out = converted;
        return true;
    }
    const iconv_t handle = c.Direct.Handle;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char buffer[64];
    char* in = const_cast<char*>(piece.data());
    std::size_t inLeft = piece.size();
    char* output = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(handle, &in, &inLeft, &output, &outLeft) == static_cast<std::size_t>(-1)) {
        incomplete = errno == EINVAL;
        return false;
    }
    if (iconv(handle, nullptr, nullptr, &output, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.assign(buffer, static_cast<std::size_t>(output - buffer));
    return true;
}

}  // namespace kestro
