#include "xml/XmlError.h"

#include "diag/Exceptions.h"

namespace kestro {
void RaiseXmlError(const std::string& message) { throw Exception(message); }
}  // namespace kestro
