#include "platform/FolderCreate.h"

#include <windows.h>

#include "platform/windows/SystemText.h"

namespace kestro {

int CreateFolder(const std::filesystem::path& path) {
    return CreateDirectoryW(path.wstring().c_str(), nullptr) ? 0 : ErrnoFromSystemError(GetLastError());
}

}  // namespace kestro
