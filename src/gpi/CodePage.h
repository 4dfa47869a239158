#pragma once
#include <cstdint>

namespace kestro {
// Code page of all 8-bit output text ("codepage" setting; 65001 is UTF-8).
extern std::int32_t CodePage;
}  // namespace kestro
