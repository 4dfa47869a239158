#pragma once
#include <string>

namespace kestro {

// Whether the two names lead to one file: the same device and inode, also
// through hard and symbolic links. False when either cannot be reached.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace kestro
