#pragma once
// Which entries of a source folder a run reads, and as what: every sub-folder
// not beginning with "." is a group whose files are its categories; every file
// of the source folder itself is a group of its own (a loose file). The
// converter reads these; the unpacker writes folders the converter reads back.
#include <string>
#include <vector>

#include "platform/FolderListing.h"

namespace kestro {

// Whether the name matches "*.gpx" in any letter case.
bool IsGpxFileName(const std::string& name);
// Whether the name matches "*.csv" in any letter case.
bool IsCsvFileName(const std::string& name);
// Whether the name matches "*.kml" or "*.kmz" in any letter case.
bool IsKmlFileName(const std::string& name);
// Whether the name matches "*.kmz" in any letter case.
bool IsKmzFileName(const std::string& name);

// The formats beside GPX a run reads, as its settings say ("csv", "kml").
struct TSourceFormats {
    bool Csv = true;
    bool Kml = true;
};

// Whether a file of this name is read as points: "*.gpx", and the other
// formats the run reads.
bool IsCategoryFileName(const std::string& name, const TSourceFormats& formats);
// Whether the entry is a file read as points: a category file inside a group
// folder, a loose file in the source folder.
bool IsCategoryFile(const TFolderEntry& entry, const TSourceFormats& formats);
// Whether the entry is a folder read as a group.
bool IsGroupFolder(const TFolderEntry& entry);

// The group folders of the source folder, sorted.
std::vector<std::string> ListGroupFolders(const std::string& folder);
// The files of the folder read as points, sorted.
std::vector<std::string> ListCategoryFiles(const std::string& folder, const TSourceFormats& formats);

}  // namespace kestro
