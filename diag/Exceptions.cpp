#include "diag/Exceptions.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kestro {

Exception::Exception(const std::string& message) : std::runtime_error(message), stack_(CaptureStackTrace(1)) {}

std::string Format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    const int size = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) {
        va_start(args, pattern);
        std::vsnprintf(out.data(), out.size() + 1, pattern, args);
        va_end(args);
    }
    return out;
}

std::string SystemErrorText(int errorNumber) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return strerror_r(errorNumber, buffer, sizeof buffer);
}

}  // namespace kestro
