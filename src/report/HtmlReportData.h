#pragma once
// The data the HTML report's script reads: per group its name, extent,
// categories with colours and icons, area boxes, and per point its position,
// name, category, icon, alert and every other field, as one JSON object whose
// texts cannot end the <script> element that holds it (see HtmlText.h).
#include <ostream>
#include <vector>

#include "dump/GroupSummary.h"
#include "gpi/GpiReader.h"
#include "gpi/TextDecoder.h"

namespace kestro {

// `summaries` hold one summary per group of `file`. With several languages
// (FileLanguages) the data also holds "languages" and per group its texts in
// each of them ("languageTexts"), for the page's language switch.
void WriteReportData(const TGpiFile& file, const std::vector<TGroupSummary>& summaries, std::ostream& out);

// The first language of a localized text, decoded; empty when there is none.
std::u32string FirstLanguage(TTextDecoder& decoder, const TGpiText& text);
// The entry of `language`, else the first, decoded; empty when there is none.
std::u32string TextIn(TTextDecoder& decoder, const TGpiText& text, const Bytes& language);

}  // namespace kestro
