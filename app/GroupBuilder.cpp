#include "app/GroupBuilder.h"

#include "diag/Exceptions.h"

namespace kestro {

Bytes BuildGroup(const std::string& path) {
    throw Exception(Format("Building a group is not implemented yet, so \"%s\" cannot be converted.", path.c_str()));
}

}  // namespace kestro
