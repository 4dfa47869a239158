#include "sources/GroupSources.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/AsciiCase.h"

namespace kestro {

namespace {

// Endings of the files read as points, in any letter case.
constexpr std::array<std::string_view, 1> CategoryExtensions = {".gpx"};

bool EndsWithFolded(const std::string& name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

bool IsGpxFileName(const std::string& name) { return EndsWithFolded(name, ".gpx"); }

bool IsCategoryFile(const TFolderEntry& entry) {
    if (entry.IsFolder) return false;
    return std::any_of(CategoryExtensions.begin(), CategoryExtensions.end(),
                       [&](std::string_view ending) { return EndsWithFolded(entry.Name, ending); });
}

bool IsGroupFolder(const TFolderEntry& entry) { return entry.IsFolder && entry.Name.front() != '.'; }

std::vector<std::string> ListGroupFolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : ListFolder(folder))
        if (IsGroupFolder(entry)) names.push_back(entry.Name);
    return names;
}

std::vector<std::string> ListCategoryFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : ListFolder(folder))
        if (IsCategoryFile(entry)) names.push_back(entry.Name);
    return names;
}

}  // namespace kestro
