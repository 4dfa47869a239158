#pragma once
// Creating one folder.
#include <filesystem>

namespace kestro {

// Creates the folder (its parent must exist): 0, or the errno value of the
// failure (EEXIST when an entry of that name exists).
int CreateFolder(const std::filesystem::path& path);

}  // namespace kestro
