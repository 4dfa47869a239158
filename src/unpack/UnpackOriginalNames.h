#pragma once
// Names the unpacked tree could not use as they are keep their original text
// in the settings: the section of the first language maps the name on disk
// to the name the rebuilt file carries.
#include <string>
#include <vector>

#include "platform/Bytes.h"
#include "unpack/UnpackNames.h"
#include "unpack/UnpackTally.h"

namespace kestro {

// "[EN]" (or the first code of `languages`) with a "written = original" line
// per renamed entry; a category's key is "group/category". Names the
// settings file cannot hold are counted instead. Empty without any line.
std::string OriginalNameSettings(const std::vector<Bytes>& languages, const std::vector<TRenamedEntry>& renamed,
                                 TUnpackTally& tally);

}  // namespace kestro
