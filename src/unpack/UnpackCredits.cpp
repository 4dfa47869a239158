#include "unpack/UnpackCredits.h"

#include "gpi/CopyrightRecord.h"
#include "gpi/GpiRecordType.h"
#include "unpack/UnpackLanguages.h"

namespace kestro {

namespace {

const char* const CreditKeys[] = {"source", "copyright"};

// The record kestro writes for these texts, compared with the file's.
bool AsKestroWrites(const TGpiCopyright& c, const std::vector<Bytes>& codes) {
    if (c.Value0 != 0x14 || c.Value4 != 0 || c.Texts.size() != 2 || c.Trailing != Bytes("\x02\x0F\xE2\x07", 4))
        return false;
    for (const auto& text : c.Texts) {
        if (text.size() != codes.size()) return false;
        for (std::size_t i = 0; i < codes.size(); ++i)
            if (text[i].Language != codes[i]) return false;
    }
    return true;
}

bool HeaderExtensionAsWritten(const TGpiFile& file) {
    const auto& records = file.Header.Records;
    return records.size() == 1 && records[0].Type == GpiTypeHeaderExtension && records[0].Flags == 0 &&
           records[0].MainSize == 5 && records[0].ExtraSize == 0 && records[0].Preview == Bytes("\x11\x27\x01\x00\x00", 5);
}

}  // namespace

TUnpackCredits UnpackCredits(const TGpiFile& file, const std::vector<Bytes>& languages, TTextDecoder& decoder,
                             TUnpackTally& tally) {
    TUnpackCredits out;
    if (!file.PoiHeader || !file.PoiHeader->Copyright) return out;
    const TGpiCopyright& c = *file.PoiHeader->Copyright;
    const std::vector<Bytes> codes = languages.empty() ? std::vector<Bytes>{"EN"} : languages;
    if (!AsKestroWrites(c, codes)) tally.Add("copyright records kestro writes otherwise (values, languages, last bytes)");
    out.HeaderAsWritten = HeaderExtensionAsWritten(file) && file.PoiHeader->Flags == PoiHeaderCreditFlags;
    std::vector<std::string> sections(codes.size());
    for (std::size_t t = 0; t < c.Texts.size() && t < 2; ++t) {
        const TGpiText& text = c.Texts[t];
        std::string first;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            // The text of code i, in whatever position the record keeps it.
            const TGpiTextEntry* entry = nullptr;
            for (const auto& e : text)
                if (e.Language == codes[i] && entry == nullptr) entry = &e;
            if (entry == nullptr) continue;
            std::string value;
            for (char32_t ch : decoder.Decode(entry->Text)) {
                if (IsUndecodedByte(ch)) tally.Add("credit texts holding bytes the code page does not define");
                AppendUtf8(value, IsUndecodedByte(ch) ? U'_' : ch);
            }
            if (!value.empty() && !SettingsCanHold(CreditKeys[t], value))
                tally.Add("credit texts kestro.ini cannot hold (blanks at either end, line breaks)");
            if (i == 0) {
                first = value;
                out.KestroKeys += std::string(CreditKeys[t]) + "=" + value + "\n";
            } else if (value != first) {
                // A further language without the key repeats the first one's text.
                sections[i] += std::string(CreditKeys[t]) + "=" + value + "\n";
            }
        }
    }
    for (std::size_t i = 1; i < codes.size(); ++i)
        if (!sections[i].empty()) out.Sections += "\n[" + std::string(codes[i]) + "]\n" + sections[i];
    return out;
}

}  // namespace kestro
