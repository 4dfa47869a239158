#include "pipeline/TranslationNotes.h"

namespace kestro {

namespace {

std::string CountsByLanguage(const TLanguageCounts& missing) {
    std::string text;
    for (const auto& [code, count] : missing) text += (text.empty() ? "" : ", ") + std::to_string(count) + " into " + code;
    return text;
}

}  // namespace

bool TTranslationNotes::Tell(TKind kind, const TLanguageCounts& missing) {
    const std::lock_guard lock(mutex_);
    TTally& tally = kind == TKind::Texts ? texts_ : names_;
    if (tally.Told < ToldOneByOne) {
        ++tally.Told;
        return true;
    }
    ++tally.Counted;
    for (const auto& [code, count] : missing) tally.Missing[code] += count;
    return false;
}

void TTranslationNotes::PrintSummary(std::ostream& err) const {
    const std::lock_guard lock(mutex_);
    if (texts_.Counted > 0)
        err << "kestro: note: " << texts_.Counted << (texts_.Counted == 1 ? " more file has" : " more files have")
            << " texts without a translation (" << CountsByLanguage(texts_.Missing)
            << "); the first language's text stands in\n";
    if (names_.Counted > 0)
        err << "kestro: note: " << names_.Counted << (names_.Counted == 1 ? " more group has" : " more groups have")
            << " names without a translation in kestro.ini (" << CountsByLanguage(names_.Missing)
            << "); the name on disk stands in\n";
}

}  // namespace kestro
