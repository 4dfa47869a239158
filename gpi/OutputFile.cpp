#include "gpi/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "diag/Exceptions.h"

namespace kestro {

namespace {

[[noreturn]] void RaiseWriteError(const std::string& path, int errorNumber) {
    throw EWriteError(Format("Cannot write file \"%s\". %s", FullFileName(path).c_str(),
                             SystemErrorText(errorNumber).c_str()));
}

}  // namespace

std::string FullFileName(const std::string& path) {
    std::error_code error;
    const auto full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

TOutputFile::TOutputFile(const std::string& path) : path_(path) {
    // An old file is removed first, so the output never shares its data with
    // another name of it; devices and links are left as they are, and a
    // failed removal shows up when the file is opened.
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) unlink(path.c_str());
    handle_ = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (handle_ < 0) {
        const int errorNumber = errno;
        throw EFCreateError(Format("Cannot create file \"%s\". %s", FullFileName(path).c_str(),
                                   SystemErrorText(errorNumber).c_str()));
    }
}

TOutputFile::~TOutputFile() {
    if (handle_ >= 0) close(handle_);
}

void TOutputFile::Write(const Bytes& bytes) {
    if (handle_ < 0) RaiseWriteError(path_, EBADF);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(handle_, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) RaiseWriteError(path_, errno);
        // No progress without an error: the device has no room left.
        if (written == 0) RaiseWriteError(path_, ENOSPC);
        done += static_cast<std::size_t>(written);
    }
}

void TOutputFile::Close() {
    if (handle_ < 0) return;
    const int handle = handle_;
    handle_ = -1;
    if (close(handle) != 0) RaiseWriteError(path_, errno);
}

void GpiWriteBytes(TOutputFile& stream, const Bytes& bytes) {
    if (!bytes.empty()) stream.Write(bytes);
}

}  // namespace kestro
