#include "xml/XmlCodePage.h"

namespace kestro {
std::uint16_t XmlCodePage = 1252;
}  // namespace kestro
