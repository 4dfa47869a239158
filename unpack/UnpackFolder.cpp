#include "unpack/UnpackFolder.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/OutputFile.h"

namespace kestro {

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
    TOutputOptions options;
    options.OnlyNew = true;
    options.FullPath = false;
    WriteWholeFile(PathOf(parts).string(), content, options);
}

}  // namespace kestro
