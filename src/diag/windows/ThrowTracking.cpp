#include "diag/ThrowHistory.h"

// No throw expression may appear in this file: it defines the wrapper the
// linker puts in front of __cxa_throw.

namespace kestro {

void PrepareThrowHook() {}

}  // namespace kestro

// The program is linked with --wrap=__cxa_throw: every C++ throw, also those
// inside the static standard library, calls this first, then the real one.
extern "C" [[noreturn]] void __real___cxa_throw(void* object, void* type, void (*destructor)(void*));

extern "C" [[noreturn]] void __wrap___cxa_throw(void* object, void* type, void (*destructor)(void*)) {
    if (kestro::TrackingOn()) kestro::RecordThrow(object, type);
    __real___cxa_throw(object, type, destructor);
}
