#include "app/OutputGuard.h"

#include <filesystem>
#include <vector>

#include "diag/Exceptions.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/SameFile.h"
#include "sources/GroupSources.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

bool SameEntry(const fs::path& a, const fs::path& b) { return SameFile(Utf8FromPath(a), Utf8FromPath(b)); }

// The folders whose "*.gpx" files the run reads. Errors are left to the
// conversion, which reports them where it meets them.
std::vector<fs::path> GpxFolders(const std::string& sourcePath) {
    std::vector<fs::path> folders{PathFromUtf8(sourcePath)};
    std::error_code error;
    for (fs::directory_iterator entry(PathFromUtf8(sourcePath), error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = Utf8FromPath(entry->path().filename());
        std::error_code typeError;
        if (name.front() != '.' && entry->is_directory(typeError)) folders.push_back(entry->path());
    }
    return folders;
}

[[noreturn]] void Refuse(const std::string& destination, const char* reason) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", FullFileName(destination).c_str(), reason));
}

}  // namespace

void CheckOutputIsNoInput(const std::string& sourcePath, const std::string& destination, const TSourceFormats& formats) {
    const fs::path output = PathFromUtf8(destination);
    if (SameEntry(output, PathFromUtf8(sourcePath) / "kestro.ini")) Refuse(destination, "It is the settings file of this run.");
    const bool gpxName = IsCategoryFileName(Utf8FromPath(output.filename()), formats);
    const fs::path outputFolder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
    for (const auto& folder : GpxFolders(sourcePath)) {
        if (gpxName && SameEntry(outputFolder, folder)) {
            Refuse(destination, fs::exists(output) ? "It is one of the input files of this run."
                                                   : "The run would read it as one of its input files.");
        }
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
            const std::string path = Utf8FromPath(entry->path());
            if (!IsCategoryFileName(Utf8FromPath(entry->path().filename()), formats)) continue;
            if (SameEntry(output, PathFromUtf8(path)) || SameEntry(output, PathFromUtf8(ChangeExtension(path, ".bmp"))))
                Refuse(destination, "It is one of the input files of this run.");
        }
    }
}

}  // namespace kestro
