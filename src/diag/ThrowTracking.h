#pragma once
// Remembers the call stack of every C++ throw, so that errors raised inside
// the standard library can be reported with the place they came from.
#include <typeinfo>

#include "diag/StackTrace.h"

namespace kestro {

// Switches the tracking on; called once at start-up, before anything runs.
void StartExceptionTracking();
bool ExceptionTrackingStarted();

// The stack at the throw of the exception object at `object` (the address
// of the most-derived object, as dynamic_cast<const void*> yields it). With
// no such object on record, the newest throw of type `type` is taken when
// `type` is given. False when nothing matches.
bool FindThrowStack(const void* object, const std::type_info* type, TStackTrace& trace);

// The type of the exception being handled, or nullptr where the run-time
// does not tell; call inside a catch block.
const std::type_info* CurrentExceptionType();

// Records a throw made on another thread as if made on this one, so that an
// error handed over between threads keeps the stack of its throw.
void AdoptThrowStack(const void* object, const std::type_info* type, const TStackTrace& trace);

}  // namespace kestro
