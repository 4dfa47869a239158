#include "gpi/TextConversion.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "diag/Exceptions.h"

namespace kestro {

namespace {

class TIconv {
public:
    explicit TIconv(const std::string& target, const std::string& source = "UTF-8")
        : handle_(iconv_open(target.c_str(), source.c_str())) {}
    ~TIconv() {
        if (Valid()) iconv_close(handle_);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return handle_; }

private:
    iconv_t handle_;
};

// Length of the UTF-8 sequence that starts with `lead`; 1 for a byte that
// cannot start one, so that it is replaced on its own.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// How many bytes of the rejected sequence at `at` to replace by one "?":
// a whole character when it is well formed, else just its first byte.
std::size_t RejectedLength(const char* at, std::size_t left) {
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(*at));
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) return 1;
    return length;
}

}  // namespace

std::string CodePageEncodingName(std::int32_t codePage) {
    if (codePage == Utf8CodePage) return "UTF-8";
    if (codePage >= 28591 && codePage <= 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage == 20866) return "KOI8-R";
    if (codePage == 21866) return "KOI8-U";
    if (codePage == 20127) return "ASCII";
    return "CP" + std::to_string(codePage);
}

bool CodePageAvailable(std::int32_t codePage) {
    if (codePage <= 0) return false;
    return TIconv(CodePageEncodingName(codePage)).Valid();
}

namespace {

// Converts text with iconv; each sequence iconv rejects becomes one "?",
// `rejectedLength` telling how many input bytes that "?" stands for.
template <class RejectedLengthFn>
std::string Convert(const TIconv& converter, const std::string& text, std::int32_t codePage,
                    RejectedLengthFn rejectedLength) {
    std::string out;
    std::vector<char> buffer(4 * text.size() + 16);
    char* input = const_cast<char*>(text.data());
    std::size_t inputLeft = text.size();
    while (inputLeft > 0) {
        char* output = buffer.data();
        std::size_t outputLeft = buffer.size();
        const std::size_t result = iconv(converter.Handle(), &input, &inputLeft, &output, &outputLeft);
        const int errorNumber = errno;
        out.append(buffer.data(), static_cast<std::size_t>(output - buffer.data()));
        if (result != static_cast<std::size_t>(-1) || errorNumber == E2BIG) continue;
        if (errorNumber != EILSEQ && errorNumber != EINVAL)
            throw EConvertError(Format("Text conversion of code page %d failed. %s", codePage,
                                       SystemErrorText(errorNumber).c_str()));
        const std::size_t rejected = rejectedLength(input, inputLeft);
        input += rejected;
        inputLeft -= rejected;
        out += '?';
    }
    // Stateful encodings return to their initial shift state at the end.
    char* output = buffer.data();
    std::size_t outputLeft = buffer.size();
    iconv(converter.Handle(), nullptr, nullptr, &output, &outputLeft);
    out.append(buffer.data(), static_cast<std::size_t>(output - buffer.data()));
    return out;
}

[[noreturn]] void RaiseUnsupported(std::int32_t codePage) {
    throw EConvertError(Format("Code page %d is not supported by the system's text conversion.", codePage));
}

}  // namespace

Bytes Utf8ToCodePage(const std::string& text, std::int32_t codePage) {
    if (codePage == Utf8CodePage) return text;
    const TIconv converter(codePage > 0 ? CodePageEncodingName(codePage) : std::string());
    if (codePage <= 0 || !converter.Valid()) RaiseUnsupported(codePage);
    return Convert(converter, text, codePage, RejectedLength);
}

std::string CodePageToUtf8(const Bytes& text, std::int32_t codePage) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (codePage == Utf8CodePage || ascii) return text;
    const TIconv converter("UTF-8", codePage > 0 ? CodePageEncodingName(codePage) : std::string("UTF-8"));
    if (codePage <= 0 || !converter.Valid()) RaiseUnsupported(codePage);
    // A byte the code page leaves undefined has no character to become.
    return Convert(converter, text, codePage, [](const char*, std::size_t) { return std::size_t{1}; });
}

}  // namespace kestro
