#pragma once
// File and folder names for the unpacked folder: every name the file holds
// becomes an entry name that stays inside its folder, is listed by the
// program, and differs from its neighbours also when letter case is ignored.
#include <set>
#include <string>
#include <vector>

namespace kestro {

struct TRenamedEntry {
    std::string Original;  // as decoded from the file
    std::string Written;   // the entry name without its extension
};

// Gives the names of one folder. A name that cannot stand as it is (empty,
// holding a character Linux or Windows refuses, a folder name ending in "."
// or a blank, a device name, too long, taken, or for a folder starting with ".", which the converter
// skips) gets a readable replacement, the same on every run.
class TNameAllotter {
public:
    // Names (with extension) already used in the folder, e.g. "kestro.ini".
    void Reserve(const std::string& entry);
    // The base name for an entry that will be written with each of the given
    // extensions (e.g. {".gpx", ".bmp"} or {""} for a folder); all of them
    // are reserved.
    std::string Allot(const std::string& name, const std::vector<std::string>& extensions);

    const std::vector<TRenamedEntry>& Renamed() const { return renamed_; }

private:
    bool Free(const std::string& base, const std::vector<std::string>& extensions) const;

    std::set<std::string> taken_;  // lower-cased
    std::vector<TRenamedEntry> renamed_;
};

// The name made safe as one path component (before the test for duplicates).
// A file name may start with "." (the converter reads such files, and
// "...gpx" is a plain name); a folder name may not.
std::string SafeEntryName(const std::string& name, bool folder);

}  // namespace kestro
