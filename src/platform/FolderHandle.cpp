// Folder handles on every system: which names make one entry, how a new
// file is written and how failures are worded. The system calls are in
// FolderHandleSystem.h's one source file per system.
#include "platform/FolderHandle.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "diag/Exceptions.h"
#include "platform/FolderHandleSystem.h"
#include "platform/OutputFileSystem.h"

namespace kestro {

namespace {

// A name of one entry: not empty, not "." or "..", and without a separator
// or another byte the system refuses (a NUL would cut the name short).
bool IsEntryName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(),
                        [](char byte) { return TFolderSystem::RefusedInName(static_cast<unsigned char>(byte)); });
}

// Closes a descriptor on every path out of a block.
class TDescriptor {
public:
    explicit TDescriptor(int handle) : handle_(handle) {}
    ~TDescriptor() {
        if (handle_ >= 0) CloseOutput(handle_);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return handle_; }
    int Release() { return std::exchange(handle_, -1); }

private:
    int handle_;
};

}  // namespace

TFolderHandle::TFolderHandle(TImplPtr impl) : impl_(std::move(impl)) {}
TFolderHandle::TFolderHandle(TFolderHandle&&) noexcept = default;
TFolderHandle& TFolderHandle::operator=(TFolderHandle&&) noexcept = default;
TFolderHandle::~TFolderHandle() = default;

TFolderHandle TFolderHandle::Open(const std::string& path) {
    int error = 0;
    bool link = false;
    TImplPtr impl = TFolderSystem::Open(path, error, link);
    if (!impl)
        throw EFOpenError(Format("Cannot open folder \"%s\". %s", path.c_str(),
                                 link ? "It is a symbolic link; give the folder it leads to" : SystemErrorText(error).c_str()));
    return TFolderHandle(std::move(impl));
}

TFolderHandle TFolderHandle::MakeFolder(const std::string& name, const std::string& shown) const {
    int error = EINVAL;
    TImplPtr impl = IsEntryName(name) ? TFolderSystem::MakeFolder(*impl_, name, error) : nullptr;
    if (!impl)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", shown.c_str(), SystemErrorText(error).c_str()));
    return TFolderHandle(std::move(impl));
}

void TFolderHandle::WriteNewFile(const std::string& name, std::string_view bytes, const std::string& shown) const {
    int error = EINVAL;
    TDescriptor file(IsEntryName(name) ? TFolderSystem::CreateNewFile(*impl_, name, error) : -1);
    if (file.Get() < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", shown.c_str(), SystemErrorText(error).c_str()));
    auto fail = [&](int errorNumber) {
        throw EWriteError(Format("Cannot write file \"%s\". %s", shown.c_str(), SystemErrorText(errorNumber).c_str()));
    };
    while (!bytes.empty()) {
        std::size_t written = 0;
        if (const int writeError = WriteSome(file.Get(), bytes, written)) fail(writeError);
        if (written == 0) fail(ENOSPC);
        bytes.remove_prefix(written);
    }
    if (const int finishError = TFolderSystem::FinishNewFile(file.Release())) fail(finishError);
}

bool TFolderHandle::IsEmpty() const { return TFolderSystem::IsEmpty(*impl_); }

bool TFolderHandle::OwnedByUser() const { return TFolderSystem::OwnedByUser(*impl_); }

}  // namespace kestro
