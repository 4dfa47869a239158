#include "unpack/UnpackFolder.h"

#include <cerrno>

#include "platform/FolderCreate.h"
#include "platform/OutputFile.h"
#include "platform/PathName.h"

namespace kestro {

TUnpackFolder::TUnpackFolder(std::filesystem::path root) : root_(std::move(root)) {
    const int error = CreateFolder(root_);
    if (error == 0) return;
    std::error_code code;
    if (error == EEXIST && std::filesystem::is_directory(root_, code)) {
        if (!std::filesystem::is_empty(root_, code) || code)
            throw EUnpackFolderError(Format("\"%s\" exists and is not empty; give a new or an empty folder", Utf8FromPath(root_).c_str()));
        return;
    }
    throw EFCreateError(Format("Cannot create folder \"%s\". %s", Utf8FromPath(root_).c_str(), SystemErrorText(error).c_str()));
}

std::filesystem::path TUnpackFolder::PathOf(const std::vector<std::string>& parts) const {
    std::filesystem::path path = root_;
    for (const auto& part : parts) {
        // Names come from SafeEntryName; this only guards against a slip.
        if (part.empty() || part == "." || part == ".." || part.find_first_of(PathSeparators) != std::string::npos)
            throw Exception(Format("refusing the entry name \"%s\"", part.c_str()));
        path /= PathFromUtf8(part);
    }
    return path;
}

void TUnpackFolder::MakeFolder(const std::vector<std::string>& parts) const {
    const auto path = PathOf(parts);
    if (const int error = CreateFolder(path); error != 0)
        throw EFCreateError(Format("Cannot create folder \"%s\". %s", Utf8FromPath(path).c_str(), SystemErrorText(error).c_str()));
}

void TUnpackFolder::WriteFile(const std::vector<std::string>& parts, const Bytes& content) const {
    TOutputOptions options;
    options.OnlyNew = true;
    options.FullPath = false;
    WriteWholeFile(Utf8FromPath(PathOf(parts)), content, options);
}

}  // namespace kestro
