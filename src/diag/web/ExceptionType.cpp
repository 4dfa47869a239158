#include "diag/ThrowTracking.h"

namespace kestro {

// The browser's C++ run-time keeps exceptions in JavaScript and does not say
// the type of the one being handled; reports then name it "unknown".
const std::type_info* CurrentExceptionType() { return nullptr; }

}  // namespace kestro
