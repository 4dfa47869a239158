#include "unpack/UnpackFolder.h"

#include <cerrno>

#include "platform/FolderCreate.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

TFolderHandle OpenRoot(const std::string& root) {
    if (const int error = CreateFolder(PathFromUtf8(root)); error != 0 && error != EEXIST)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", root.c_str(), SystemErrorText(error).c_str()));
    // Made now or there before: either way what is opened is checked, as
    // another process may have put its own folder or a link in its place.
    TFolderHandle handle = TFolderHandle::Open(root);
    if (!handle.OwnedByUser())
        throw EUnpackFolderError(Format("\"%s\" belongs to another user; give a new folder or an empty one of your own",
                                        root.c_str()));
    if (!handle.IsEmpty())
        throw EUnpackFolderError(Format("\"%s\" exists and is not empty; give a new or an empty folder", root.c_str()));
    return handle;
}

}  // namespace

TUnpackFolder::TUnpackFolder(std::string root) : root_(std::move(root)), handle_(OpenRoot(root_)) {}

std::string TUnpackFolder::Shown(const std::vector<std::string>& parts) const {
    std::string path = root_;
    for (const auto& part : parts) path += (path.empty() || path.back() == '/' ? "" : "/") + part;
    return path;
}

const TFolderHandle& TUnpackFolder::FolderAbove(const std::vector<std::string>& parts) const {
    if (parts.empty()) throw Exception("refusing an empty path");
    for (const auto& part : parts) {
        // Names come from SafeEntryName; this only guards against a slip.
        if (part.empty() || part == "." || part == ".." || part.find_first_of(PathSeparators) != std::string::npos)
            throw Exception(Format("refusing the entry name \"%s\"", part.c_str()));
    }
    if (parts.size() <= 1) return handle_;
    const auto found = made_.find(std::vector<std::string>(parts.begin(), parts.end() - 1));
    if (found == made_.end()) throw Exception(Format("the folder of \"%s\" was not made", Shown(parts).c_str()));
    return found->second;
}

void TUnpackFolder::MakeFolder(const std::vector<std::string>& parts) {
    TFolderHandle folder = FolderAbove(parts).MakeFolder(parts.back(), Shown(parts));
    made_.emplace(parts, std::move(folder));
}

void TUnpackFolder::WriteFile(const std::vector<std::string>& parts, const Bytes& content) const {
    FolderAbove(parts).WriteNewFile(parts.back(), content, Shown(parts));
}

}  // namespace kestro
