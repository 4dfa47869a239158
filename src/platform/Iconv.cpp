#include "platform/Iconv.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "diag/Exceptions.h"

namespace kestro {

struct TIconv::TConversion {
    iconv_t Handle;
};

TIconv::TIconv(const std::string& target, const std::string& source)
    : conversion_(std::make_unique<TConversion>(TConversion{iconv_open(target.c_str(), source.c_str())})) {}

TIconv::~TIconv() {
    if (Valid()) iconv_close(conversion_->Handle);
}

bool TIconv::Valid() const { return conversion_->Handle != reinterpret_cast<iconv_t>(-1); }

std::string TIconv::Convert(std::string_view text, const TRejected& rejected) const {
    const iconv_t handle = conversion_->Handle;
    std::string out;
    std::vector<char> buffer(4 * text.size() + 16);
    auto flush = [&](const char* end) { out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data())); };
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* input = const_cast<char*>(text.data());  // iconv's interface is not const-correct
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
    // Stateful encodings return to their initial shift state at the end.
    char* output = buffer.data();
    std::size_t outputLeft = buffer.size();
    iconv(handle, nullptr, nullptr, &output, &outputLeft);
    flush(output);
    return out;
}

bool TIconv::ConvertPiece(std::string_view piece, std::string& out, bool& incomplete) const {
    const iconv_t handle = conversion_->Handle;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char buffer[64];
    char* in = const_cast<char*>(piece.data());
    std::size_t inLeft = piece.size();
    char* output = buffer;
    std::size_t outLeft = sizeof buffer;
    incomplete = false;
    if (iconv(handle, &in, &inLeft, &output, &outLeft) == static_cast<std::size_t>(-1)) {
        incomplete = errno == EINVAL;
        return false;
    }
    if (iconv(handle, nullptr, nullptr, &output, &outLeft) == static_cast<std::size_t>(-1)) return false;
    out.assign(buffer, static_cast<std::size_t>(output - buffer));
    return true;
}

}  // namespace kestro
