#include "platform/FileRead.h"

#include <io.h>
#include <windows.h>

#include <cerrno>
#include <fcntl.h>

#include "diag/Exceptions.h"
#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

namespace kestro {

namespace {

std::string MessageName(const std::string& path, const TInputOptions& options) {
    return options.FullPath ? FullFileName(path) : path;
}

HANDLE SystemHandle(int descriptor) { return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); }

}  // namespace

TInputFile::TInputFile(const std::string& path, const TInputOptions& options)
    : TInputFile(path, options, false) {}

TInputFile::TInputFile(const std::string& path, const TInputOptions& options, bool missingAllowed)
    : path_(path), options_(options) {
    auto raiseOpenError = [&](const std::string& reason) {
        throw EFOpenError(Format(options_.CannotOpen, MessageName(path_, options_).c_str(), reason.c_str()));
    };
    // Others may read, write and rename the file meanwhile, as on other
    // systems; a folder opens only with backup semantics.
    const HANDLE handle = CreateFileW(PathFromUtf8(path).wstring().c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD systemError = GetLastError();
        const int errorNumber = ErrnoFromSystemError(systemError);
        if (missingAllowed && errorNumber == ENOENT) return;
        raiseOpenError(SystemErrorText(errorNumber));
    }
    BY_HANDLE_FILE_INFORMATION information{};
    std::string refusal;
    if (!GetFileInformationByHandle(handle, &information)) {
        refusal = SystemErrorText(ErrnoFromSystemError(GetLastError()));
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (!options_.FolderOpens) refusal = SystemErrorText(EISDIR);
    } else if (GetFileType(handle) != FILE_TYPE_DISK) {
        refusal = "Not a regular file";
    }
    if (refusal.empty()) descriptor_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor_ < 0) {
        CloseHandle(handle);  // the destructor does not run for a failed constructor
        raiseOpenError(refusal.empty() ? SystemErrorText(EMFILE) : refusal);
    }
}

TInputFile::~TInputFile() {
    if (descriptor_ >= 0) _close(descriptor_);
}

void TInputFile::RaiseReadError(int errorNumber) const {
    throw EReadError(
        Format(options_.CannotRead, MessageName(path_, options_).c_str(), SystemErrorText(errorNumber).c_str()));
}

std::size_t TInputFile::ReadInto(char* buffer, std::size_t count, std::uint64_t offset) const {
    std::size_t done = 0;
    while (done < count) {
        const std::uint64_t position = offset + done;
        if (position > static_cast<std::uint64_t>(INT64_MAX)) break;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(SystemHandle(descriptor_), buffer + done, chunk, &got, &at)) {
            const DWORD systemError = GetLastError();
            if (systemError == ERROR_HANDLE_EOF) break;
            RaiseReadError(ErrnoFromSystemError(systemError));
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::uint64_t TInputFile::SizeHint() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(SystemHandle(descriptor_), &size) || size.QuadPart <= 0) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t TInputFile::ReadNext(char* target, std::size_t count) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!ReadFile(SystemHandle(descriptor_), target, chunk, &got, nullptr)) {
        const DWORD systemError = GetLastError();
        if (systemError == ERROR_HANDLE_EOF || systemError == ERROR_BROKEN_PIPE) return 0;
        RaiseReadError(ErrnoFromSystemError(systemError));
    }
    return got;
}

}  // namespace kestro
