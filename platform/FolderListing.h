#pragma once
// Folder listings, sorted by name without regard to ASCII
// letter case (ties byte-wise), so that every run visits the same order.
#include <string>
#include <vector>

namespace kestro {

struct TFolderEntry {
    std::string Name;
    bool IsFolder = false;  // links are followed
};

bool FolderExists(const std::string& path);
// Whether a file that is not a folder exists at the path (links are followed).
bool FileExists(const std::string& path);

// Every entry of the folder but "." and "..", dot-files included, sorted.
// EFOpenError when the folder cannot be listed.
std::vector<TFolderEntry> ListFolder(const std::string& folder);

// Whether `a` sorts before `b`: ASCII case folded first, then byte-wise.
bool NameLess(const std::string& a, const std::string& b);

// Whether the name matches "*.gpx" in any letter case.
bool IsGpxFileName(const std::string& name);
// Whether the name matches "*.csv" in any letter case.
bool IsCsvFileName(const std::string& name);
// Whether a file of this name is read as a category or a loose-file group:
// "*.gpx", and "*.csv" when `csv`.
bool IsSourceFileName(const std::string& name, bool csv);

// Sub-folders whose names do not begin with ".": one group each.
std::vector<std::string> ListGroupFolders(const std::string& folder);
// Entries matching "*.gpx" that are not folders.
std::vector<std::string> ListGpxFiles(const std::string& folder);
// Entries that IsSourceFileName accepts and that are not folders.
std::vector<std::string> ListSourceFiles(const std::string& folder, bool csv);

}  // namespace kestro
