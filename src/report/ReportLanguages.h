#pragma once
// The languages the report's switch offers: the file's first ones only, so
// that a file of hundreds of codes gives a page of a size near the file's.
#include <cstddef>
#include <vector>

#include "gpi/GpiReader.h"

namespace kestro {

// Languages the switch offers at most.
constexpr std::size_t ShownLanguageLimit = 12;

struct TReportLanguages {
    std::vector<Bytes> Shown;  // empty unless the texts come in several languages
    std::size_t All = 0;       // how many the file has
};

TReportLanguages ReportLanguages(const TGpiFile& file);

}  // namespace kestro
