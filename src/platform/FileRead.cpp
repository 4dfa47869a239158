#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "diag/Exceptions.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

std::string MessageName(const std::string& path, const TInputOptions& options) {
    return options.FullPath ? FullFileName(path) : path;
}

}  // namespace

TInputFile::TInputFile(const std::string& path, const TInputOptions& options)
    : TInputFile(path, options, false) {}

TInputFile::TInputFile(const std::string& path, const TInputOptions& options, bool missingAllowed)
    : path_(path), options_(options) {
    auto raiseOpenError = [&](const std::string& reason) {
        throw EFOpenError(Format(options_.CannotOpen, MessageName(path_, options_).c_str(), reason.c_str()));
    };
    // Not blocking: opening a FIFO must not wait for a writer.
    do descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) {
        const int errorNumber = errno;
        if (missingAllowed && (errorNumber == ENOENT || errorNumber == ENOTDIR)) return;
        raiseOpenError(SystemErrorText(errorNumber));
    }

    struct stat status {};
    std::string refusal;
    if (::fstat(descriptor_, &status) != 0) refusal = SystemErrorText(errno);
    else if (S_ISDIR(status.st_mode) && !options_.FolderOpens) refusal = SystemErrorText(EISDIR);
    else if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) refusal = "Not a regular file";
    if (!refusal.empty()) {
        ::close(descriptor_);  // the destructor does not run for a failed constructor
        raiseOpenError(refusal);
    }
}

TInputFile::~TInputFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
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
        const ssize_t got = ::pread(descriptor_, buffer + done, count - done, static_cast<off_t>(position));
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseReadError(errno);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::uint64_t TInputFile::SizeHint() const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

std::size_t TInputFile::ReadNext(char* target, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(descriptor_, target, count);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) RaiseReadError(errno);
    }
}

}  // namespace kestro
