#include "platform/FolderHandle.h"

#include <aclapi.h>
#include <windows.h>

#include <cerrno>
#include <utility>

#include "diag/Exceptions.h"
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

// A name of one entry: no separator, no stream (":"), none of the
// characters the system refuses, not "." or "..".
bool IsPlainName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (const wchar_t character : name)
        if (character < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(character) != std::wstring_view::npos)
            return false;
    return true;
}

std::wstring EntryPath(const std::wstring& folder, const std::string& name, const std::string& shown,
                       const char* what) {
    const std::wstring wide = WideFromUtf8(name);
    if (!IsPlainName(wide))
        throw EFCreateError(Format("Cannot create %s \"%s\". %s", what, shown.c_str(), SystemErrorText(EINVAL).c_str()));
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (separated ? L"" : L"\\") + wide;
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

TFolderHandle::TFolderHandle(std::unique_ptr<TImpl> impl) : impl_(std::move(impl)) {}
TFolderHandle::TFolderHandle(TFolderHandle&&) noexcept = default;
TFolderHandle& TFolderHandle::operator=(TFolderHandle&&) noexcept = default;
TFolderHandle::~TFolderHandle() = default;

TFolderHandle TFolderHandle::Open(const std::string& path) {
    std::wstring folder = PathFromUtf8(path).wstring();
    // "link\" would lead through the link; a drive's root keeps its separator.
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/') && folder[folder.size() - 2] != L':')
        folder.pop_back();
    bool reparsePoint = false;
    const HANDLE handle = OpenFolder(folder, reparsePoint);
    if (handle == INVALID_HANDLE_VALUE)
        throw EFOpenError(Format("Cannot open folder \"%s\". %s", path.c_str(),
                                 reparsePoint ? "It is a symbolic link; give the folder it leads to"
                                              : SystemErrorText(LastErrno()).c_str()));
    return TFolderHandle(std::make_unique<TImpl>(handle, folder));
}

TFolderHandle TFolderHandle::MakeFolder(const std::string& name, const std::string& shown) const {
    const std::wstring path = EntryPath(impl_->Path, name, shown, "folder");
    if (!CreateDirectoryW(path.c_str(), nullptr))
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", shown.c_str(), SystemErrorText(LastErrno()).c_str()));
    // Between the two calls another process could have put a link in its place.
    bool reparsePoint = false;
    const HANDLE handle = OpenFolder(path, reparsePoint);
    if (handle == INVALID_HANDLE_VALUE)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", shown.c_str(), SystemErrorText(LastErrno()).c_str()));
    return TFolderHandle(std::make_unique<TImpl>(handle, path));
}

void TFolderHandle::WriteNewFile(const std::string& name, std::string_view bytes, const std::string& shown) const {
    const std::wstring path = EntryPath(impl_->Path, name, shown, "file");
    // CREATE_NEW fails on any entry of that name, a link included.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", shown.c_str(), SystemErrorText(LastErrno()).c_str()));
    const std::unique_ptr<void, decltype(&CloseHandle)> closer(file, &CloseHandle);
    auto fail = [&](int error) {
        throw EWriteError(Format("Cannot write file \"%s\". %s", shown.c_str(), SystemErrorText(error).c_str()));
    };
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) fail(LastErrno());
        if (written == 0) fail(ENOSPC);
        bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(file) && GetLastError() != ERROR_INVALID_FUNCTION) fail(LastErrno());
}

bool TFolderHandle::IsEmpty() const {
    WIN32_FIND_DATAW entry{};
    const HANDLE listing = FindFirstFileW((impl_->Path + L"\\*").c_str(), &entry);
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
bool TFolderHandle::OwnedByUser() const {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(impl_->Handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
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
