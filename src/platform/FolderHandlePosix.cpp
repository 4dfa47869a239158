#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "diag/Exceptions.h"
#include "platform/FolderHandle.h"

namespace kestro {

struct TFolderHandle::TImpl {
    explicit TImpl(int handle) : Handle(handle) {}
    ~TImpl() { close(Handle); }
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;

    int Handle;
};

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Closes a descriptor on every path out of a block.
class TDescriptor {
public:
    explicit TDescriptor(int handle) : handle_(handle) {}
    ~TDescriptor() {
        if (handle_ >= 0) close(handle_);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return handle_; }
    int Release() { return std::exchange(handle_, -1); }

private:
    int handle_;
};

struct TCloseListing {
    void operator()(DIR* listing) const { closedir(listing); }
};

}  // namespace

TFolderHandle::TFolderHandle(std::unique_ptr<TImpl> impl) : impl_(std::move(impl)) {}
TFolderHandle::TFolderHandle(TFolderHandle&&) noexcept = default;
TFolderHandle& TFolderHandle::operator=(TFolderHandle&&) noexcept = default;
TFolderHandle::~TFolderHandle() = default;

TFolderHandle TFolderHandle::Open(const std::string& path) {
    // "link/" would lead through the link: the slashes go.
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const int handle = open(folder.c_str(), FolderFlags);
    if (handle < 0) {
        const int error = errno;
        // O_NOFOLLOW reports a link as ELOOP, O_DIRECTORY a link to a file as ENOTDIR.
        struct stat entry {};
        const bool link = lstat(folder.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
        throw EFOpenError(Format("Cannot open folder \"%s\". %s", path.c_str(),
                                 link ? "It is a symbolic link; give the folder it leads to" : SystemErrorText(error).c_str()));
    }
    return TFolderHandle(std::make_unique<TImpl>(handle));
}

TFolderHandle TFolderHandle::MakeFolder(const std::string& name, const std::string& shown) const {
    if (mkdirat(impl_->Handle, name.c_str(), 0777) != 0)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", shown.c_str(), SystemErrorText(errno).c_str()));
    // Between the two calls another process could have put a link in its place.
    const int handle = openat(impl_->Handle, name.c_str(), FolderFlags);
    if (handle < 0)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", shown.c_str(), SystemErrorText(errno).c_str()));
    return TFolderHandle(std::make_unique<TImpl>(handle));
}

void TFolderHandle::WriteNewFile(const std::string& name, std::string_view bytes, const std::string& shown) const {
    TDescriptor file(openat(impl_->Handle, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", shown.c_str(), SystemErrorText(errno).c_str()));
    auto fail = [&](int error) {
        throw EWriteError(Format("Cannot write file \"%s\". %s", shown.c_str(), SystemErrorText(error).c_str()));
    };
    while (!bytes.empty()) {
        const ssize_t written = write(file.Get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) fail(errno);
        if (written == 0) fail(ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (close(file.Release()) != 0) fail(errno);
}

bool TFolderHandle::IsEmpty() const {
    // The listing gets a handle of its own, so this one keeps its place.
    TDescriptor own(openat(impl_->Handle, ".", FolderFlags));
    if (own.Get() < 0) return false;
    const std::unique_ptr<DIR, TCloseListing> listing(fdopendir(own.Get()));
    if (!listing) return false;
    own.Release();  // the listing owns it now
    while (const dirent* entry = readdir(listing.get()))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) return false;
    return true;
}

bool TFolderHandle::OwnedByUser() const {
    struct stat folder {};
    return fstat(impl_->Handle, &folder) == 0 && folder.st_uid == geteuid();
}

}  // namespace kestro
