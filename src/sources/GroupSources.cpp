#include "sources/GroupSources.h"

#include <algorithm>
#include <string_view>

#include "platform/AsciiCase.h"

namespace kestro {

namespace {

bool EndsWithFolded(const std::string& name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

bool IsGpxFileName(const std::string& name) { return EndsWithFolded(name, ".gpx"); }

bool IsCsvFileName(const std::string& name) { return EndsWithFolded(name, ".csv"); }

bool IsKmzFileName(const std::string& name) { return EndsWithFolded(name, ".kmz"); }

bool IsKmlFileName(const std::string& name) { return EndsWithFolded(name, ".kml") || IsKmzFileName(name); }

bool IsCategoryFileName(const std::string& name, const TSourceFormats& formats) {
    return IsGpxFileName(name) || (formats.Csv && IsCsvFileName(name)) || (formats.Kml && IsKmlFileName(name));
}

bool IsCategoryFile(const TFolderEntry& entry, const TSourceFormats& formats) {
    return !entry.IsFolder && IsCategoryFileName(entry.Name, formats);
}

bool IsGroupFolder(const TFolderEntry& entry) { return entry.IsFolder && entry.Name.front() != '.'; }

std::vector<std::string> ListGroupFolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : ListFolder(folder))
        if (IsGroupFolder(entry)) names.push_back(entry.Name);
    return names;
}

std::vector<std::string> ListCategoryFiles(const std::string& folder, const TSourceFormats& formats) {
    std::vector<std::string> names;
    for (const auto& entry : ListFolder(folder))
        if (IsCategoryFile(entry, formats)) names.push_back(entry.Name);
    return names;
}

}  // namespace kestro
