#pragma once
// The settings of one run, read once from the source folder's kestro.ini
// and passed down to whoever needs them.
#include <cstdint>
#include <memory>
#include <string>

#include "app/Languages.h"
#include "gpi/CopyrightRecord.h"
#include "pipeline/Threading.h"
#include "sources/AreaRules.h"
#include "sources/GroupSources.h"
#include "waypoints/IconFiles.h"

namespace kestro {

struct TRunSettings {
    std::int32_t MaxRegion = DefaultMaxRegion;  // most points one area may hold ("maxregion")
    // The code page of every 8-bit text, read and written ("codepage";
    // 65001 is UTF-8), as written in the settings: it may be one the system
    // cannot convert into, which the run refuses.
    std::int32_t CodePage = 1252;
    bool ReadCsvFiles = true;  // "*.csv" files are categories and loose-file groups ("csv")
    bool ReadKmlFiles = true;  // "*.kml" and "*.kmz" files likewise ("kml")
    std::uint32_t PhotoSize = 0;  // longest photo side in pixels ("photosize"; 0: as they are)
    TLanguages Languages;      // of the output texts ("languages" and its name sections)
    // Not from kestro.ini: the icon files this run has read, for every group.
    std::shared_ptr<TIconFiles> Icons = std::make_shared<TIconFiles>();
    TCredits Credits;          // "source" and "copyright", in UTF-8; empty without either key
    TThreading Threading = BuildThreading();  // not from kestro.ini: the build's, or the caller's choice

    TSourceFormats SourceFormats() const { return {ReadCsvFiles, ReadKmlFiles}; }
};

// Reads kestro.ini of the source folder (or of the folder of `path` when it
// names a file); anything missing or unreadable as a number keeps its
// default (256, 1252, on, on, 0). ESettingsError for an invalid "languages" list.
TRunSettings LoadSettings(const std::string& path);

// Makes the settings' code page the working code page of the process: the
// one texts are read into and written in.
void UseCodePage(const TRunSettings& settings);

}  // namespace kestro
