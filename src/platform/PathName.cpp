#include "platform/PathName.h"

#include <filesystem>

#include "platform/AsciiCase.h"

namespace kestro {
namespace {

std::size_t LastComponentStart(const std::string& path) {
    const auto slash = path.find_last_of(PathSeparators);
    return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the dot of the last component's extension, or npos.
std::size_t ExtensionDot(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < LastComponentStart(path)) return std::string::npos;
    return dot;
}

}  // namespace

std::string LowerExtension(const std::string& path) {
    const auto dot = ExtensionDot(path);
    if (dot == std::string::npos) return std::string();
    std::string extension = path.substr(dot);
    for (char& c : extension) c = LowerAscii(c);
    return extension;
}

std::string ChangeExtension(const std::string& path, const std::string& extension) {
    const auto dot = ExtensionDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

std::string BaseName(const std::string& path) {
    const std::string name = FileNameWithoutFolder(path);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FileNameWithoutFolder(const std::string& path) { return path.substr(LastComponentStart(path)); }

std::string FullFileName(const std::string& path) {
    std::error_code error;
    const auto full = std::filesystem::absolute(PathFromUtf8(path), error);
    return error ? path : Utf8FromPath(full.lexically_normal());
}

std::string FolderPathForJoining(const std::string& folder) {
    if (folder.empty() || PathSeparators.find(folder.back()) != std::string_view::npos) return folder;
    // Only where paths have drives: elsewhere "C:" is a plain name.
    const auto path = PathFromUtf8(folder);
    const bool driveAlone = path.has_root_name() && !path.has_root_directory() && !path.has_relative_path();
    std::string joined = driveAlone ? FullFileName(folder + ".") : folder;
    if (PathSeparators.find(joined.back()) == std::string_view::npos) joined += '/';  // a root ("C:\") has one
    return joined;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace kestro
