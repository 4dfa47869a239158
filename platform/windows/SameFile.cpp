#include "platform/SameFile.h"

#include <windows.h>

#include <optional>

#include "platform/PathName.h"

namespace kestro {

namespace {

struct TFileIdentity {
    DWORD Volume = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;
    bool operator==(const TFileIdentity&) const = default;
};

std::optional<TFileIdentity> Identify(const std::string& path) {
    // No access asked, so a file held open by another program is identified too.
    const HANDLE handle = CreateFileW(PathFromUtf8(path).wstring().c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(handle, &information) != 0;
    CloseHandle(handle);
    if (!known) return std::nullopt;
    return TFileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const auto first = Identify(a);
    const auto second = Identify(b);
    return first && second && *first == *second;
}

}  // namespace kestro
