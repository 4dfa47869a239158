#pragma once
#include <cstdint>

namespace kestro {
// The code page into which the XML text reader converts all parsed text
// (65001 is UTF-8). Set once per run from the settings.
extern std::uint16_t XmlCodePage;
}  // namespace kestro
