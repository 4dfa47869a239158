#pragma once
// One group of a GPI file written as a group folder (with categories) or a
// loose GPX file (without), with its icons and photos.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "gpi/GpiReader.h"
#include "gpi/TextDecoder.h"
#include "unpack/UnpackFolder.h"
#include "unpack/UnpackLanguages.h"
#include "unpack/UnpackNames.h"
#include "unpack/UnpackTally.h"
#include "unpack/UnpackTree.h"

namespace kestro {

// Folder in the unpacked folder for icons and photos; not a group, its name starts with ".".
extern const char* const UnpackMediaFolder;

// What the groups of one file share and add to.
struct TUnpackRun {
    TUnpackFolder& Folder;
    TTextDecoder& Decoder;
    TUnpackTally& Tally;
    TNameAllotter& RootNames;
    std::vector<TRenamedEntry> RenamedInGroups;
    std::vector<TTreeGroup> Trees;
    std::vector<std::pair<bool, std::string>> GroupEntries;  // (folder?, entry name) in file order
    std::size_t Groups = 0, Categories = 0, Points = 0, Icons = 0, Photos = 0;
    bool MediaFolderMade = false;
    std::vector<Bytes> Languages{};     // of the file's texts (FileLanguages)
    std::vector<TUnpackNames> Names{};  // groups and categories in the further languages
};

// Writes group number `number` (from 0); returns its progress line.
std::string UnpackGroup(const TGpiGroup& group, std::size_t number, TUnpackRun& run);

// The name as UTF-8 for a file name; bytes the code page does not define become "_".
std::string NameText(const Bytes& text, TTextDecoder& decoder, TUnpackTally& tally);

std::string Plural(std::size_t count, const char* one, const char* many);

}  // namespace kestro
