#include "platform/FolderListing.h"

#include <algorithm>
#include <filesystem>

#include "diag/Exceptions.h"
#include "platform/AsciiCase.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

unsigned char FoldCase(char c) { return static_cast<unsigned char>(LowerAscii(c)); }

// Longer than any path a system opens (32,767 UTF-16 units on the one that
// allows the most): such a name is no file, and is not copied to ask.
constexpr std::size_t LongestPathBytes = 3 * 32767;
bool Askable(const std::string& path) { return !path.empty() && path.size() <= LongestPathBytes; }

}  // namespace

bool FolderExists(const std::string& path) {
    std::error_code error;
    return Askable(path) && std::filesystem::is_directory(PathFromUtf8(path), error);
}

bool FileExists(const std::string& path) {
    std::error_code error;
    if (!Askable(path)) return false;
    const auto systemPath = PathFromUtf8(path);
    return std::filesystem::exists(systemPath, error) &&
           !std::filesystem::is_directory(systemPath, error);
}

bool NameLess(const std::string& a, const std::string& b) {
    const bool foldedLess = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                         [](char x, char y) { return FoldCase(x) < FoldCase(y); });
    if (foldedLess) return true;
    const bool foldedGreater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                            [](char x, char y) { return FoldCase(x) < FoldCase(y); });
    if (foldedGreater) return false;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

std::vector<TFolderEntry> ListFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(PathFromUtf8(folder.empty() ? std::string(".") : folder), error);
    std::vector<TFolderEntry> listing;
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code ignored;
        listing.push_back({Utf8FromPath(entries->path().filename()), entries->is_directory(ignored)});
    }
    if (error)
        throw EFOpenError(Format("Cannot open folder \"%s\". %s", FullFileName(folder).c_str(),
                                 error.message().c_str()));
    std::sort(listing.begin(), listing.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return NameLess(a.Name, b.Name); });
    return listing;
}

}  // namespace kestro
