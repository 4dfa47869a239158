#include "report/ReportLanguages.h"

#include "gpi/FileLanguages.h"

namespace kestro {

TReportLanguages ReportLanguages(const TGpiFile& file) {
    TReportLanguages languages;
    auto codes = FileLanguages(file);
    if (codes.size() < 2) return languages;
    languages.All = codes.size();
    if (codes.size() > ShownLanguageLimit) codes.resize(ShownLanguageLimit);
    languages.Shown = std::move(codes);
    return languages;
}

}  // namespace kestro
