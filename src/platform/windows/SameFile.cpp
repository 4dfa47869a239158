#include "platform/SameFile.h"

#include <windows.h>

#include <optional>

#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

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

bool IsStandardOutputFile(const std::string& path) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE || GetFileType(output) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(output, &information) == 0) return false;
    const auto file = Identify(path);
    return file && *file == TFileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                                          information.nFileIndexLow};
}

std::string StandardOutputFileName() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE || GetFileType(output) != FILE_TYPE_DISK) return {};
    std::wstring name(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(output, name.data(), static_cast<DWORD>(name.size()), 0);
    if (length == 0 || length >= name.size()) return {};
    name.resize(length);
    const auto slash = name.find_last_of(L"\\/");
    return Utf8FromWide(slash == std::wstring::npos ? name : name.substr(slash + 1));
}

}  // namespace kestro
