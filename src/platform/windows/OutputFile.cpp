#include "platform/OutputFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// The system names a function of its own so; here it is an option of ours.
#undef ReplaceFile

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <utility>

#include "diag/Exceptions.h"
#include "platform/PathName.h"
#include "platform/windows/SystemText.h"

namespace kestro {

namespace {

std::wstring Wide(const std::string& path) { return PathFromUtf8(path).wstring(); }

HANDLE SystemHandle(int descriptor) { return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); }

int LastErrno() { return ErrnoFromSystemError(GetLastError()); }

// What lies at the path: nothing, a regular file, or something else (a
// folder, a device, a reparse point).
enum class TEntry { Missing, File, Other };

TEntry EntryAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return TEntry::Missing;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return TEntry::Other;
    return TEntry::File;
}

bool MayReplacePartial(const std::string& partial) { return EntryAt(partial) != TEntry::Other; }

// Others may read the file while it is written, and it may be renamed or
// removed while open: the console handler moves it aside that way.
int OpenDescriptor(const std::string& path, DWORD disposition) {
    const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE) return -1;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return descriptor;
}

// A new file beside the target: hidden, and ending in ".tmp", so no run
// lists it as a GPX file; a short name part keeps it within the name limit.
int CreateTemporary(const std::string& target, std::string& name) {
    const auto slash = target.find_last_of(PathSeparators);
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "." + base + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        const int descriptor = OpenDescriptor(name, CREATE_NEW);
        if (descriptor >= 0 || GetLastError() != ERROR_FILE_EXISTS) return descriptor;
    }
    return -1;
}

bool MoveOver(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Ctrl-C, Ctrl-Break, closing the console window, logging off or shutting
// down keep what was written as the partial file too, instead of leaving a
// hidden temporary file behind, and say so in a last line on standard
// error. The system calls the handler on a thread of its own, so the record
// of the one file being written is guarded.
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
        if (MayReplacePartial(WatchedPartial) && MoveOver(WatchedTemporary, WatchedPartial)) {
            WriteErrorLine(WatchedKeptLine);
        } else {
            DeleteFileW(Wide(WatchedTemporary).c_str());
            WriteErrorLine(WatchedLostLine);
        }
        WatchedTemporary.clear();
    }
    // Ended at once, with the status the system gives a run stopped by
    // Ctrl-C, so an interrupted run never reports success.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return FALSE;
}

void Watch(const std::string& temporary, const std::string& partial, const std::string& destination) {
    static const bool installed = SetConsoleCtrlHandler(KeepPartialOnStop, TRUE) != 0;
    (void)installed;
    const std::lock_guard lock(WatchMutex);
    WatchedTemporary = temporary;
    WatchedPartial = partial;
    WatchedKeptLine = Format("\nkestro: stopped by a signal. What was written is kept in \"%s\"; \"%s\" is as it "
                             "was before the run.\n",
                             FullFileName(partial).c_str(), FullFileName(destination).c_str());
    WatchedLostLine =
        Format("\nkestro: stopped by a signal. \"%s\" is as it was before the run.\n", FullFileName(destination).c_str());
}

void Unwatch() {
    const std::lock_guard lock(WatchMutex);
    WatchedTemporary.clear();
}

// "DESTINATION.partial", or where the limit on name length refuses
// that, the destination's name cut short enough to take the ending.
std::string PartialName(const std::string& target) {
    const auto slash = target.find_last_of(PathSeparators);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
    // NTFS, exFAT and FAT's long names all take 255 UTF-16 units; asking the
    // volume instead fails on some drives with a message of the system's own.
    constexpr std::size_t longest = 255;
    const std::wstring ending = L".partial";
    std::wstring wide = WideFromUtf8(name);
    if (wide.size() + ending.size() <= longest || longest <= ending.size()) return target + ".partial";
    wide.resize(longest - ending.size());
    // Never a character cut in two.
    if (!wide.empty() && wide.back() >= 0xD800 && wide.back() <= 0xDBFF) wide.pop_back();
    return target.substr(0, target.size() - name.size()) + Utf8FromWide(wide) + ".partial";
}

}  // namespace

TOutputFile::TOutputFile(const std::string& path, const TOutputOptions& options) : path_(path), options_(options) {
    if (options_.StandardOutput) {
        // A handle of its own, so that closing it checks the writes and
        // leaves standard output open; written with WriteFile, so binary.
        handle_ = _dup(_fileno(stdout));
        if (handle_ < 0)
            throw EFCreateError(Format("Cannot write to standard output. %s", SystemErrorText(errno).c_str()));
        return;
    }
    if (options_.ReplaceOnClose && !options_.OnlyNew) {
        target_ = path;
        if (EntryAt(target_) != TEntry::Other) {
            partial_ = PartialName(target_);
            handle_ = CreateTemporary(target_, temporary_);
        }
        if (handle_ >= 0) {
            Watch(temporary_, partial_, path_);
            return;
        }
        temporary_.clear();
    }
    OpenInPlace();
}

void TOutputFile::OpenInPlace() {
    DWORD disposition = CREATE_ALWAYS;
    if (options_.OnlyNew) {
        disposition = CREATE_NEW;
    } else if ((options_.ReplaceFile || options_.ReplaceOnClose) && EntryAt(path_) == TEntry::File) {
        // A failed removal shows up when the file is opened.
        DeleteFileW(Wide(path_).c_str());
    }
    handle_ = OpenDescriptor(path_, disposition);
    if (handle_ < 0) {
        const int errorNumber = LastErrno();
        throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                   (options_.FullPath ? FullFileName(path_) : path_).c_str(),
                                   SystemErrorText(errorNumber).c_str()));
    }
}

TOutputFile::~TOutputFile() {
    try {
        KeepPartial();
    } catch (...) {
        // Only reached while an error is already on its way.
    }
}

void TOutputFile::RaiseWriteError(int errorNumber) const {
    if (options_.StandardOutput)
        throw EWriteError(Format("Cannot write to standard output. %s", SystemErrorText(errorNumber).c_str()));
    throw EWriteError(Format("Cannot write file \"%s\". %s", (options_.FullPath ? FullFileName(path_) : path_).c_str(),
                             SystemErrorText(errorNumber).c_str()));
}

void TOutputFile::Write(std::string_view bytes) {
    if (handle_ < 0) RaiseWriteError(EBADF);
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(SystemHandle(handle_), bytes.data(), chunk, &written, nullptr)) RaiseWriteError(LastErrno());
        // No progress without an error: the device has no room left.
        if (written == 0) RaiseWriteError(ENOSPC);
        bytes.remove_prefix(written);
    }
}

void TOutputFile::Close() {
    if (handle_ < 0) return;
    const int handle = std::exchange(handle_, -1);
    if (_close(handle) != 0) RaiseWriteError(errno);
    if (temporary_.empty()) return;
    if (!MoveOver(temporary_, target_)) RaiseWriteError(LastErrno());
    Unwatch();
    temporary_.clear();
    // What an earlier failed run left would only mislead now.
    if (EntryAt(partial_) == TEntry::File) DeleteFileW(Wide(partial_).c_str());
}

std::string TOutputFile::KeepPartial() {
    if (handle_ >= 0) _close(std::exchange(handle_, -1));
    if (temporary_.empty()) return std::string();
    Unwatch();
    const std::string temporary = std::exchange(temporary_, std::string());
    if (MayReplacePartial(partial_) && MoveOver(temporary, partial_)) return FullFileName(partial_);
    DeleteFileW(Wide(temporary).c_str());
    return std::string();
}

void WriteWholeFile(const std::string& path, std::string_view bytes, const TOutputOptions& options) {
    TOutputFile file(path, options);
    file.Write(bytes);
    file.Close();
}

}  // namespace kestro
