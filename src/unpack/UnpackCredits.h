#pragma once
// The data source and copyright of a file written back as the kestro.ini
// keys "source" and "copyright" that give the same copyright record.
#include <string>
#include <vector>

#include "gpi/GpiReader.h"
#include "gpi/TextDecoder.h"
#include "unpack/UnpackTally.h"

namespace kestro {

struct TUnpackCredits {
    std::string KestroKeys;  // lines for the section "kestro"
    std::string Sections;    // sections of the further languages, each after a blank line
    // The header records are those kestro writes with these credits (the
    // header extension record, the POI header's flags): not counted.
    bool HeaderAsWritten = false;
};

// languages: the file's (FileLanguages); what kestro would write
// otherwise is counted in tally.
TUnpackCredits UnpackCredits(const TGpiFile& file, const std::vector<Bytes>& languages, TTextDecoder& decoder,
                             TUnpackTally& tally);

}  // namespace kestro
