#include "app/FolderBeside.h"

#include "platform/PathName.h"

namespace kestro {

namespace {

std::string WithoutTrailingSeparators(std::string path) {
    while (!path.empty() && PathSeparators.find(path.back()) != std::string_view::npos) path.pop_back();
    return path;
}

// Names that stand for another folder's name, or for a drive's current folder.
bool NeedsFullPath(const std::string& name) {
    return name.empty() || name == "." || name == ".." || name.find(':') != std::string::npos;
}

}  // namespace

const char* const DropUsage =
    "\nWithout a console: in Explorer, drop a folder on kestro.exe. The GPI file is written beside\n"
    "the folder, named after it (\"My points\" gives \"My points.gpi\").\n";

std::optional<std::string> DestinationBesideFolder(const std::string& folder) {
    const std::string given = WithoutTrailingSeparators(folder);
    if (!NeedsFullPath(FileNameWithoutFolder(given))) return given + ".gpi";
    auto full = PathFromUtf8(FullFileName(folder));
    if (!full.has_filename()) full = full.parent_path();  // "/a/b/" names "b"
    if (!full.has_filename() || full.filename() == "." || full.filename() == "..") return std::nullopt;
    return Utf8FromPath(full) + ".gpi";
}

}  // namespace kestro
