#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "diag/Exceptions.h"
#include "platform/PathName.h"

namespace kestro {

TOutputFile::TOutputFile(const std::string& path, const TOutputOptions& options) : path_(path), options_(options) {
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if (options_.ReplaceFile) {
        // Devices and links are left as they are, and a failed removal
        // shows up when the file is opened.
        struct stat existing {};
        if (lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) unlink(path.c_str());
        flags = O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC;  // a FIFO then opens without waiting for a reader
    }
    handle_ = open(path.c_str(), flags, 0666);
    if (handle_ < 0) {
        const int errorNumber = errno;
        throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                   (options_.FullPath ? FullFileName(path) : path).c_str(),
                                   SystemErrorText(errorNumber).c_str()));
    }
}

TOutputFile::~TOutputFile() {
    if (handle_ >= 0) close(handle_);
}

void TOutputFile::RaiseWriteError(int errorNumber) const {
    throw EWriteError(Format("Cannot write file \"%s\". %s", (options_.FullPath ? FullFileName(path_) : path_).c_str(),
                             SystemErrorText(errorNumber).c_str()));
}

void TOutputFile::Write(std::string_view bytes) {
    if (handle_ < 0) RaiseWriteError(EBADF);
    while (!bytes.empty()) {
        const ssize_t written = write(handle_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) RaiseWriteError(errno);
        // No progress without an error: the device has no room left.
        if (written == 0) RaiseWriteError(ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TOutputFile::Close() {
    if (handle_ < 0) return;
    const int handle = handle_;
    handle_ = -1;
    if (close(handle) != 0) RaiseWriteError(errno);
}

void WriteWholeFile(const std::string& path, std::string_view bytes, const TOutputOptions& options) {
    TOutputFile file(path, options);
    file.Write(bytes);
    file.Close();
}

}  // namespace kestro
