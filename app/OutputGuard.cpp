#include "app/OutputGuard.h"

#include <filesystem>
#include <vector>

#include "app/RunState.h"
#include "diag/Exceptions.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/SameFile.h"
#include "sources/GroupSources.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

bool SameEntry(const fs::path& a, const fs::path& b) { return SameFile(a.string(), b.string()); }

// The folders whose "*.gpx" files the run reads. Errors are left to the
// conversion, which reports them where it meets them.
std::vector<fs::path> GpxFolders(const std::string& sourcePath) {
    std::vector<fs::path> folders{sourcePath};
    std::error_code error;
    for (fs::directory_iterator entry(sourcePath, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code typeError;
        if (name.front() != '.' && entry->is_directory(typeError)) folders.push_back(entry->path());
    }
    return folders;
}

[[noreturn]] void Refuse(const std::string& destination, const char* reason) {
    throw EFCreateError(Format("Cannot create file \"%s\". %s", FullFileName(destination).c_str(), reason));
}

}  // namespace

void CheckOutputIsNoInput(const std::string& sourcePath, const std::string& destination) {
    const fs::path output(destination);
    if (SameEntry(output, fs::path(sourcePath) / "kestro.ini")) Refuse(destination, "It is the settings file of this run.");
    const bool gpxName = IsCategoryFileName(output.filename().string(), ReadCsvFiles);
    const fs::path outputFolder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
    for (const auto& folder : GpxFolders(sourcePath)) {
        if (gpxName && SameEntry(outputFolder, folder)) {
            Refuse(destination, fs::exists(output) ? "It is one of the input files of this run."
                                                   : "The run would read it as one of its input files.");
        }
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
            const std::string path = entry->path().string();
            if (!IsCategoryFileName(entry->path().filename().string(), ReadCsvFiles)) continue;
            if (SameEntry(output, path) || SameEntry(output, ChangeExtension(path, ".bmp")))
                Refuse(destination, "It is one of the input files of this run.");
        }
    }
}

}  // namespace kestro
