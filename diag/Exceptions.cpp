#include "diag/Exceptions.h"

#include <boost/stacktrace.hpp>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace kestro {

CallStack CaptureCallStack(int skip) {
    CallStack frames;
    boost::stacktrace::stacktrace trace(static_cast<std::size_t>(skip + 1), 64);
    for (const auto& frame : trace) {
        std::string line = frame.name();
        if (line.empty()) line = boost::stacktrace::to_string(frame);
        std::string file = frame.source_file();
        if (!file.empty()) line += " at " + file + ":" + std::to_string(frame.source_line());
        frames.push_back(line);
    }
    return frames;
}

Exception::Exception(const std::string& message) : std::runtime_error(message), stack_(CaptureCallStack(1)) {}

std::string Format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    int size = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(out.data(), out.size() + 1, pattern, args);
    va_end(args);
    return out;
}

std::string SystemErrorText(int errorNumber) { return std::strerror(errorNumber); }

}  // namespace kestro
