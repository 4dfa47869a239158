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

}  // namespace kestro
