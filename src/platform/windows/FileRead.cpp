// The Windows side of reading files (see FileReadSystem.h).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/FileReadSystem.h"
#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

namespace kestro {

namespace {

HANDLE SystemHandle(int descriptor) { return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); }

}  // namespace

int OpenInput(const std::string& path, int& descriptor) {
    descriptor = -1;
    // Others may read, write and rename the file meanwhile, as on other
    // systems; a folder opens only with backup semantics.
    const HANDLE handle = CreateFileW(PathFromUtf8(path).wstring().c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ErrnoFromSystemError(GetLastError());
    descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor >= 0) return 0;
    CloseHandle(handle);
    return EMFILE;
}

int InputKindOf(int descriptor, TInputKind& kind) {
    const HANDLE handle = SystemHandle(descriptor);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) return ErrnoFromSystemError(GetLastError());
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) kind = TInputKind::Folder;
    else if (GetFileType(handle) != FILE_TYPE_DISK) kind = TInputKind::Other;
    else kind = TInputKind::File;
    return 0;
}

void CloseInput(int descriptor) { _close(descriptor); }

int ReadInputAt(int descriptor, char* buffer, std::size_t count, std::uint64_t offset, std::size_t& got) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD read = 0;
    got = 0;
    if (!ReadFile(SystemHandle(descriptor), buffer, chunk, &read, &at)) {
        const DWORD systemError = GetLastError();
        return systemError == ERROR_HANDLE_EOF ? 0 : ErrnoFromSystemError(systemError);
    }
    got = read;
    return 0;
}

int ReadInputNext(int descriptor, char* buffer, std::size_t count, std::size_t& got) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD read = 0;
    got = 0;
    if (!ReadFile(SystemHandle(descriptor), buffer, chunk, &read, nullptr)) {
        const DWORD systemError = GetLastError();
        return systemError == ERROR_HANDLE_EOF || systemError == ERROR_BROKEN_PIPE ? 0
                                                                                    : ErrnoFromSystemError(systemError);
    }
    got = read;
    return 0;
}

std::uint64_t InputSizeHint(int descriptor) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(SystemHandle(descriptor), &size) || size.QuadPart <= 0) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace kestro
