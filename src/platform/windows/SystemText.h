#pragma once
// UTF-8 inside the program, UTF-16 at every call of the system; and the
// system's error numbers as the C library's, so that messages read the
// same as on other systems.
#include <string>
#include <string_view>

namespace kestro {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// The errno value for a Windows error code (EIO for one without a match).
int ErrnoFromSystemError(unsigned long systemError);

}  // namespace kestro
