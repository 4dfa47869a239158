#include "dump/UnpackFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kestro {

namespace {

// A descriptor closed on every path.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : fd_(fd) {}
    ~TDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

}  // namespace

TUnpackFolder::TUnpackFolder(std::filesystem::path root) : root_(std::move(root)) {
    if (::mkdir(root_.c_str(), 0777) == 0) return;
    const int error = errno;
    std::error_code code;
    if (error == EEXIST && std::filesystem::is_directory(root_, code)) {
        if (!std::filesystem::is_empty(root_, code) || code)
            throw EUnpackFolderError(Format("\"%s\" exists and is not empty; give a new or an empty folder", root_.c_str()));
        return;
    }
    throw EFCreateError(Format("Cannot create folder \"%s\". %s", root_.c_str(), SystemErrorText(error).c_str()));
}

std::filesystem::path TUnpackFolder::PathOf(const std::vector<std::string>& parts) const {
    std::filesystem::path path = root_;
    for (const auto& part : parts) {
        // Names come from SafeEntryName; this only guards against a slip.
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos)
            throw Exception(Format("refusing the entry name \"%s\"", part.c_str()));
        path /= part;
    }
    return path;
}

void TUnpackFolder::MakeFolder(const std::vector<std::string>& parts) const {
    const auto path = PathOf(parts);
    if (::mkdir(path.c_str(), 0777) != 0)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", path.c_str(), SystemErrorText(errno).c_str()));
}

void TUnpackFolder::WriteFile(const std::vector<std::string>& parts, const Bytes& content) const {
    const auto path = PathOf(parts);
    TDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.Get() < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", path.c_str(), SystemErrorText(errno).c_str()));
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(fd.Get(), content.data() + done, content.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            throw EWriteError(Format("Cannot write file \"%s\". %s", path.c_str(), SystemErrorText(errno).c_str()));
        done += static_cast<std::size_t>(written);
    }
    if (::close(fd.Release()) != 0)
        throw EWriteError(Format("Cannot write file \"%s\". %s", path.c_str(), SystemErrorText(errno).c_str()));
}

}  // namespace kestro
