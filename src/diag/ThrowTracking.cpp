#include "diag/ThrowHistory.h"

#include <dlfcn.h>

#include <cstdlib>

// No throw expression may appear in this file: the compiler's own
// declaration of __cxa_throw would clash with the definition below.

namespace kestro {

namespace {

using TThrowFunction = void (*)(void*, void*, void (*)(void*));

TThrowFunction RealThrow() {
    static const TThrowFunction real = reinterpret_cast<TThrowFunction>(dlsym(RTLD_NEXT, "__cxa_throw"));
    return real;
}

}  // namespace

void PrepareThrowHook() { RealThrow(); }

}  // namespace kestro

// Every C++ throw of the process passes here, also those inside the
// standard library, whose calls resolve to this definition first. The real
// function (or a sanitizer's wrapper of it) is the next one in line.
extern "C" void __cxa_throw(void* object, void* type, void (*destructor)(void*)) {
    if (kestro::TrackingOn()) kestro::RecordThrow(object, type);
    const kestro::TThrowFunction real = kestro::RealThrow();
    if (real == nullptr) std::abort();
    real(object, type, destructor);
    __builtin_unreachable();
}
