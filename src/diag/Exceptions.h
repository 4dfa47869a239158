#pragma once
// Error classes of the whole program. The class name is part of the error
// report, so every class says its own name.
#include <stdexcept>
#include <string>

#include "diag/StackTrace.h"

namespace kestro {

// The general error; every error class of the program derives from it.
// It keeps the call stack of the point where it was made.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message);
    virtual const char* ClassName() const noexcept { return "Exception"; }
    const TStackTrace& Stack() const noexcept { return stack_; }
    // The input file the error came from, for the report's first line; empty
    // when none is known. The first file named stays.
    const std::string& File() const noexcept { return file_; }
    void NameFile(const std::string& path) {
        if (file_.empty()) file_ = path;
    }

private:
    TStackTrace stack_;
    std::string file_;
};

#define KESTRO_EXCEPTION(NAME)                                                \
    class NAME : public Exception {                                           \
    public:                                                                   \
        using Exception::Exception;                                           \
        const char* ClassName() const noexcept override { return #NAME; }     \
    }

KESTRO_EXCEPTION(EFCreateError);   // a file cannot be created
KESTRO_EXCEPTION(EFOpenError);     // a file or folder cannot be opened for reading
KESTRO_EXCEPTION(EReadError);      // a file could be opened but not read
KESTRO_EXCEPTION(EWriteError);     // a write or close of the output failed
KESTRO_EXCEPTION(EConvertError);   // a text or number conversion failed
KESTRO_EXCEPTION(EFormatLimit);    // a size or count passes its field in the GPI format

// printf-style formatting for messages.
#ifdef _WIN32
// The C99 printf of MinGW (__USE_MINGW_ANSI_STDIO), not the system library's.
std::string Format(const char* pattern, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
#endif

// The system's text for an errno value.
std::string SystemErrorText(int errorNumber);

}  // namespace kestro
