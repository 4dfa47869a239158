// The Windows side of output files (see OutputFileSystem.h).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/OutputFileSystem.h"
#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

namespace kestro {

namespace {

std::wstring Wide(const std::string& path) { return PathFromUtf8(path).wstring(); }

HANDLE SystemHandle(int descriptor) { return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); }

int LastErrno() { return ErrnoFromSystemError(GetLastError()); }

}  // namespace

// Folders, devices and reparse points (links, junctions) are never
// replaced, so a reparse point counts as Other.
TEntryKind EntryKindAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return TEntryKind::Missing;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return TEntryKind::Other;
    return TEntryKind::File;
}

std::string FollowLinks(std::string path) { return path; }

// Others may read the file while it is written, and it may be renamed or
// removed while open: the console handler moves it aside that way.
TOpenedOutput OpenOutput(const std::string& path, TOutputOpening how) {
    const DWORD disposition =
        how == TOutputOpening::Temporary || how == TOutputOpening::OnlyNew ? CREATE_NEW : CREATE_ALWAYS;
    TOpenedOutput opened;
    const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.Error = LastErrno();
        return opened;
    }
    opened.Handle = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (opened.Handle < 0) {
        CloseHandle(handle);
        opened.Error = ErrnoFromSystemError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return opened;
}

// Written with WriteFile, so binary.
TOpenedOutput DuplicateStandardOutput() {
    TOpenedOutput opened;
    opened.Handle = _dup(_fileno(stdout));
    if (opened.Handle < 0) opened.Error = errno;
    return opened;
}

int WriteSome(int handle, std::string_view bytes, std::size_t& written) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD count = 0;
    if (!WriteFile(SystemHandle(handle), bytes.data(), chunk, &count, nullptr)) return LastErrno();
    written = count;
    return 0;
}

int CloseOutput(int handle) { return _close(handle) == 0 ? 0 : errno; }

int MoveOver(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastErrno();
}

void RemoveEntry(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

std::string ProcessNumber() { return std::to_string(GetCurrentProcessId()); }

// NTFS, exFAT and FAT's long names all take 255 UTF-16 units; asking the
// volume instead fails on some drives with a message of the system's own.
TNameLimit NameLimitIn(const std::string& /*folder*/) { return TNameLimit{255, true}; }

namespace {

// Ctrl-C, Ctrl-Break, closing the console window, logging off or shutting
// down keep what was written as the partial file too. The system calls the
// handler on a thread of its own, so the record of the one file being
// written is guarded.
std::mutex WatchMutex;
std::string WatchedTemporary;  // "" when no file is watched; under WatchMutex
std::string WatchedPartial;    // under WatchMutex
std::string WatchedKeptLine;   // under WatchMutex
std::string WatchedLostLine;   // under WatchMutex

// UTF-8 text to standard error: as characters to a console, as bytes to a
// file or a pipe.
void WriteErrorLine(const std::string& line) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(error, &mode)) {
        const std::wstring wide = WideFromUtf8(line);
        WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

BOOL WINAPI KeepPartialOnStop(DWORD) {
    const std::lock_guard lock(WatchMutex);
    if (!WatchedTemporary.empty()) {
        if (EntryKindAt(WatchedPartial) != TEntryKind::Other && MoveOver(WatchedTemporary, WatchedPartial) == 0) {
            WriteErrorLine(WatchedKeptLine);
        } else {
            RemoveEntry(WatchedTemporary);
            WriteErrorLine(WatchedLostLine);
        }
        WatchedTemporary.clear();
    }
    // Ended at once, with the status the system gives a run stopped by
    // Ctrl-C, so an interrupted run never reports success.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return FALSE;
}

}  // namespace

// The console handler runs on a thread of its own and takes the lock, so
// nothing needs holding back here.
void WithStopsHeld(const std::function<void()>& create) { create(); }

void WatchStops(const std::string& temporary, const std::string& partial, const std::string& keptLine,
                const std::string& lostLine) {
    static const bool installed = SetConsoleCtrlHandler(KeepPartialOnStop, TRUE) != 0;
    (void)installed;
    const std::lock_guard lock(WatchMutex);
    WatchedTemporary = temporary;
    WatchedPartial = partial;
    WatchedKeptLine = keptLine;
    WatchedLostLine = lostLine;
}

void UnwatchStops() {
    const std::lock_guard lock(WatchMutex);
    WatchedTemporary.clear();
}

}  // namespace kestro
