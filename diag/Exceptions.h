#pragma once
// Error classes of the whole program. The class name is part of the error
// report, so every class says its own name.
#include <stdexcept>
#include <string>
#include <vector>

namespace kestro {

// Frames of the call stack, one text line per frame, innermost first.
using CallStack = std::vector<std::string>;

// Captures the call stack of the current point (skipping `skip` frames).
CallStack CaptureCallStack(int skip = 0);

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message);
    virtual const char* ClassName() const noexcept { return "Exception"; }
    const CallStack& Stack() const noexcept { return stack_; }

private:
    CallStack stack_;
};

#define KESTRO_EXCEPTION(NAME)                                                \
    class NAME : public Exception {                                           \
    public:                                                                   \
        using Exception::Exception;                                           \
        const char* ClassName() const noexcept override { return #NAME; }     \
    }

KESTRO_EXCEPTION(EFCreateError);   // the output file cannot be created
KESTRO_EXCEPTION(EFOpenError);     // a file cannot be opened for reading
KESTRO_EXCEPTION(EReadError);      // a file could be opened but not read
KESTRO_EXCEPTION(EWriteError);     // a write or close of the output failed
KESTRO_EXCEPTION(EConvertError);   // a text or number conversion failed

// printf-style formatting for messages.
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// The system's text for an errno value.
std::string SystemErrorText(int errorNumber);

}  // namespace kestro
