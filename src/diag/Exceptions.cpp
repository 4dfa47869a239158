#include "diag/Exceptions.h"

#include <cerrno>
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

#ifdef _WIN32
std::string SystemErrorText(int errorNumber) {
    // The texts of the other systems' C library for the errors the program
    // meets, so that messages read the same everywhere; a file another
    // program holds open is worded the Windows way.
    switch (errorNumber) {
        case ENOENT: return "No such file or directory";
        case EACCES: return "Permission denied";
        case EEXIST: return "File exists";
        case EISDIR: return "Is a directory";
        case ENOTDIR: return "Not a directory";
        case ENOSPC: return "No space left on device";
        case EIO: return "Input/output error";
        case EBADF: return "Bad file descriptor";
        case ENOMEM: return "Cannot allocate memory";
        case EMFILE: return "Too many open files";
        case ENAMETOOLONG: return "File name too long";
        case ENOTEMPTY: return "Directory not empty";
        case EXDEV: return "Invalid cross-device link";
        case EFBIG: return "File too large";
        case EBUSY: return "The file is in use by another process";
        default: break;
    }
    char buffer[256];
    return strerror_s(buffer, sizeof buffer, errorNumber) == 0 ? buffer : "Unknown error";
}
#else
// GNU's strerror_r returns the text, which may or may not be in buffer; the
// POSIX one (musl's, in the browser) returns 0 and leaves the text in buffer.
namespace {
[[maybe_unused]] const char* StrerrorText(const char* returned, const char* /*buffer*/) { return returned; }
[[maybe_unused]] const char* StrerrorText(int returned, const char* buffer) {
    return returned == 0 ? buffer : "Unknown error";
}
}  // namespace

std::string SystemErrorText(int errorNumber) {
    char buffer[256];
    return StrerrorText(strerror_r(errorNumber, buffer, sizeof buffer), buffer);
}
#endif

}  // namespace kestro
