// The POSIX side of folder handles (see FolderHandleSystem.h): every entry
// is made and opened relative to the folder's descriptor.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/FolderHandleSystem.h"

namespace kestro {

struct TFolderHandle::TImpl {
    explicit TImpl(int handle) : Handle(handle) {}
    ~TImpl() { close(Handle); }
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;

    int Handle;
};

void TFolderHandle::TImplRelease::operator()(TImpl* impl) const noexcept { std::unique_ptr<TImpl> owner(impl); }

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct TCloseListing {
    void operator()(DIR* listing) const { closedir(listing); }
};

}  // namespace

bool TFolderSystem::RefusedInName(unsigned char byte) { return byte == '/' || byte == '\0'; }

TFolderSystem::TImplPtr TFolderSystem::Open(const std::string& path, int& error, bool& link) {
    // "link/" would lead through the link: the slashes go.
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const int handle = open(folder.c_str(), FolderFlags);
    if (handle >= 0) return TImplPtr(std::make_unique<TImpl>(handle).release());
    error = errno;
    // O_NOFOLLOW reports a link as ELOOP, O_DIRECTORY a link to a file as ENOTDIR.
    struct stat entry {};
    link = lstat(folder.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
    return nullptr;
}

TFolderSystem::TImplPtr TFolderSystem::MakeFolder(const TImpl& folder, const std::string& name,
                                                               int& error) {
    if (mkdirat(folder.Handle, name.c_str(), 0777) != 0) {
        error = errno;
        return nullptr;
    }
    // Between the two calls another process could have put a link in its place.
    const int handle = openat(folder.Handle, name.c_str(), FolderFlags);
    if (handle >= 0) return TImplPtr(std::make_unique<TImpl>(handle).release());
    error = errno;
    return nullptr;
}

int TFolderSystem::CreateNewFile(const TImpl& folder, const std::string& name, int& error) {
    const int handle = openat(folder.Handle, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (handle < 0) error = errno;
    return handle;
}

int TFolderSystem::FinishNewFile(int descriptor) { return close(descriptor) == 0 ? 0 : errno; }

bool TFolderSystem::IsEmpty(const TImpl& folder) {
    // The listing gets a handle of its own, so this one keeps its place.
    const int own = openat(folder.Handle, ".", FolderFlags);
    if (own < 0) return false;
    const std::unique_ptr<DIR, TCloseListing> listing(fdopendir(own));
    if (!listing) {
        close(own);
        return false;
    }
    while (const dirent* entry = readdir(listing.get()))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) return false;
    return true;
}

bool TFolderSystem::OwnedByUser(const TImpl& folder) {
    struct stat status {};
    return fstat(folder.Handle, &status) == 0 && status.st_uid == geteuid();
}

}  // namespace kestro
