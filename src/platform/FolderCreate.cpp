#include "platform/FolderCreate.h"

#include <sys/stat.h>

#include <cerrno>

namespace kestro {

int CreateFolder(const std::filesystem::path& path) { return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno; }

}  // namespace kestro
