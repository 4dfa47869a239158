#include "gpi/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "diag/Exceptions.h"

namespace kestro {

namespace {

// Error messages name the file with its full path.
std::string FullPath(const std::filesystem::path& path) {
    std::error_code error;
    const auto full = std::filesystem::absolute(path, error);
    return error ? path.string() : full.lexically_normal().string();
}

[[noreturn]] void RaiseOpenError(const std::filesystem::path& path, const std::string& reason) {
    throw EFOpenError(Format("Cannot open file \"%s\". %s", FullPath(path).c_str(), reason.c_str()));
}

}  // namespace

TInputFile::TInputFile(const std::filesystem::path& path) : path_(path) {
    // Not blocking: opening a FIFO must not wait for a writer.
    do descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) RaiseOpenError(path, SystemErrorText(errno));

    struct stat status {};
    std::string refusal;
    if (::fstat(descriptor_, &status) != 0) refusal = SystemErrorText(errno);
    else if (S_ISDIR(status.st_mode)) refusal = SystemErrorText(EISDIR);
    else if (!S_ISREG(status.st_mode)) refusal = "Not a regular file";
    if (!refusal.empty()) {
        ::close(descriptor_);  // the destructor does not run for a failed constructor
        RaiseOpenError(path, refusal);
    }
}

TInputFile::~TInputFile() { ::close(descriptor_); }

void TInputFile::RaiseReadError(int errorNumber) const {
    throw EReadError(Format("Cannot read file \"%s\". %s", FullPath(path_).c_str(), SystemErrorText(errorNumber).c_str()));
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

Bytes TInputFile::ReadAt(std::uint64_t offset, std::size_t count) const {
    Bytes out(count, '\0');
    out.resize(ReadInto(out.data(), count, offset));
    return out;
}

Bytes TInputFile::ReadAll() const {
    struct stat status {};
    const std::size_t expected = ::fstat(descriptor_, &status) == 0 ? static_cast<std::size_t>(status.st_size) : 0;
    // The size is only a hint: the file may grow or shrink while it is read.
    Bytes out(expected, '\0');
    std::size_t done = ReadInto(out.data(), expected, 0);
    while (done == out.size()) {
        out.resize(done + 65536);
        done += ReadInto(out.data() + done, out.size() - done, done);
    }
    out.resize(done);
    return out;
}

Bytes ReadWholeFile(const std::filesystem::path& path) { return TInputFile(path).ReadAll(); }

}  // namespace kestro
