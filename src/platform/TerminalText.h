#pragma once
// Text that comes from files (names, texts, paths) on its way to the
// console: a control byte there could move the cursor, retitle the window
// or colour all later output.
#include <string>
#include <string_view>

namespace kestro {

// The text with control bytes (below 0x20, 0x7F, and lone bytes 0x80 to
// 0x9F) shown as \xNN and the UTF-8 C1 control characters as \u0080 to
// \u009F; everything else, other bytes that are not UTF-8 included, stays
// byte for byte, so an ordinary name prints as it always did.
std::string TerminalText(std::string_view text);

}  // namespace kestro
