#pragma once
// The data source and copyright a run writes into the file's header, from
// the "source" and "copyright" keys of kestro.ini.
#include <string>

#include "app/Languages.h"
#include "gpi/CopyrightRecord.h"

namespace kestro {

class TSettingsFile;

// The keys of the section "kestro" in the first language, those of the
// sections named after the further codes of `languages` in those; a
// language whose section lacks a key repeats the first language's text.
// Texts stay UTF-8. Without "languages" the one language is "EN".
TCredits ReadCredits(const TSettingsFile& settings, const TLanguages& languages);

// The texts converted into the output code page, once it is known to be usable.
TCredits CreditsInCodePage(const TCredits& credits, std::int32_t codePage);

}  // namespace kestro
