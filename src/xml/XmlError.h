#pragma once
#include <string>

namespace kestro {
// Raises the library's error: the general exception, carrying only the message.
[[noreturn]] void RaiseXmlError(const std::string& message);
}  // namespace kestro
