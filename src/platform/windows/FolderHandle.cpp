// The Windows side of folder handles (see FolderHandleSystem.h).
#include <fcntl.h>
#include <io.h>
#include <aclapi.h>
#include <windows.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "platform/FolderHandleSystem.h"
#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

namespace kestro {

// The folder is held open without FILE_SHARE_DELETE, so while the handle
// lives nobody can rename, remove or replace it: entries made by its path
// plus a checked name land in this very folder.
struct TFolderHandle::TImpl {
    TImpl(HANDLE handle, std::wstring path) : Handle(handle), Path(std::move(path)) {}
    ~TImpl() { CloseHandle(Handle); }
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;

    HANDLE Handle;
    std::wstring Path;
};

void TFolderHandle::TImplRelease::operator()(TImpl* impl) const noexcept { std::unique_ptr<TImpl> owner(impl); }

namespace {

int LastErrno() { return ErrnoFromSystemError(GetLastError()); }

// Opens the folder itself, never what a reparse point (a symbolic link, a
// junction) leads to; INVALID_HANDLE_VALUE with the error set, and
// reparsePoint set, when it is no plain folder.
HANDLE OpenFolder(const std::wstring& path, bool& reparsePoint) {
    reparsePoint = false;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reparsePoint = true;
        CloseHandle(handle);
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return INVALID_HANDLE_VALUE;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        CloseHandle(handle);
        SetLastError(ERROR_DIRECTORY);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// The entry of that name inside the folder; the name is one entry's.
std::wstring EntryPath(const std::wstring& folder, const std::string& name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (separated ? L"" : L"\\") + WideFromUtf8(name);
}

// The user the program runs as, from its access token; empty when unknown.
std::string CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    std::string buffer(256, '\0');
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
    CloseHandle(token);
    if (!read) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::string(static_cast<const char*>(sid), GetLengthSid(sid));
}

}  // namespace

// Separators, streams (":"), wildcards and control characters.
bool TFolderSystem::RefusedInName(unsigned char byte) {
    return byte < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(byte)) != std::string_view::npos;
}

TFolderSystem::TImplPtr TFolderSystem::Open(const std::string& path, int& error, bool& link) {
    std::wstring folder = PathFromUtf8(path).wstring();
    // "link\" would lead through the link; a drive's root keeps its separator.
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/') && folder[folder.size() - 2] != L':')
        folder.pop_back();
    const HANDLE handle = OpenFolder(folder, link);
    if (handle != INVALID_HANDLE_VALUE) return TImplPtr(std::make_unique<TImpl>(handle, folder).release());
    error = LastErrno();
    return nullptr;
}

TFolderSystem::TImplPtr TFolderSystem::MakeFolder(const TImpl& folder, const std::string& name,
                                                               int& error) {
    const std::wstring path = EntryPath(folder.Path, name);
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        error = LastErrno();
        return nullptr;
    }
    // Between the two calls another process could have put a link in its place.
    bool reparsePoint = false;
    const HANDLE handle = OpenFolder(path, reparsePoint);
    if (handle != INVALID_HANDLE_VALUE) return TImplPtr(std::make_unique<TImpl>(handle, path).release());
    error = LastErrno();
    return nullptr;
}

int TFolderSystem::CreateNewFile(const TImpl& folder, const std::string& name, int& error) {
    // CREATE_NEW fails on any entry of that name, a link included.
    const HANDLE file = CreateFileW(EntryPath(folder.Path, name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastErrno();
        return -1;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(file);
        error = EMFILE;
    }
    return descriptor;
}

// Flushed, so that a full device shows before the run says it is done.
int TFolderSystem::FinishNewFile(int descriptor) {
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    const int flushError = FlushFileBuffers(file) || GetLastError() == ERROR_INVALID_FUNCTION ? 0 : LastErrno();
    const int closeError = _close(descriptor) == 0 ? 0 : errno;
    return flushError != 0 ? flushError : closeError;
}

bool TFolderSystem::IsEmpty(const TImpl& folder) {
    WIN32_FIND_DATAW entry{};
    const HANDLE listing = FindFirstFileW((folder.Path + L"\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool empty = true;
    do {
        const std::wstring_view name(entry.cFileName);
        if (name != L"." && name != L"..") empty = false;
    } while (empty && FindNextFileW(listing, &entry));
    FindClose(listing);
    return empty;
}

// Windows users expect a folder of their own to pass, and one that an
// elevated run of theirs made (owned by the Administrators group they belong
// to) too; so the owner may be the user or a group the user is in. Where
// the file system keeps no owner (FAT, a network share without one), the
// folder's access list alone decides and the folder passes.
bool TFolderSystem::OwnedByUser(const TImpl& folder) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder.Handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return true;
    const std::unique_ptr<void, decltype(&LocalFree)> freer(descriptor, &LocalFree);
    if (owner == nullptr || !IsValidSid(owner)) return true;
    const std::string user = CurrentUserSid();
    if (!user.empty() && EqualSid(owner, const_cast<char*>(user.data()))) return true;
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, owner, &member) && member;
}

}  // namespace kestro
