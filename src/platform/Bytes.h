#pragma once
#include <string>

namespace kestro {
// An 8-bit, length-counted byte string that may hold zero bytes: every
// encoded field and record is one of these.
using Bytes = std::string;
}  // namespace kestro
