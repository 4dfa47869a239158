#pragma once
// An error caught on one thread and raised again on another, where it is
// reported: it keeps the call stack of its throw.
#include <exception>
#include <typeinfo>

#include "diag/StackTrace.h"

namespace kestro {

class TCaughtError {
public:
    TCaughtError() = default;
    // The error being handled; call inside a catch block.
    static TCaughtError Current();

    explicit operator bool() const noexcept { return static_cast<bool>(error_); }
    // Raises the error again, on the calling thread.
    [[noreturn]] void Rethrow() const;

private:
    std::exception_ptr error_;
    const void* object_ = nullptr;
    const std::type_info* type_ = nullptr;
    TStackTrace stack_;
};

}  // namespace kestro
