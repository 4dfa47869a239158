#include <cxxabi.h>

#include "diag/ThrowTracking.h"

namespace kestro {

const std::type_info* CurrentExceptionType() { return abi::__cxa_current_exception_type(); }

}  // namespace kestro
