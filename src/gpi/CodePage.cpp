#include "gpi/CodePage.h"

namespace kestro {
std::int32_t CodePage = 1252;
}  // namespace kestro
