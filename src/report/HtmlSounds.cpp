#include "report/HtmlSounds.h"

#include "gpi/SoundFile.h"
#include "platform/Base64.h"
#include "report/HtmlText.h"

namespace kestro {

std::string SoundDataUri(const TGpiMedia& media) {
    if (media.Entries.empty()) return std::string();
    const Bytes& data = media.Entries.front().Data;
    std::string refusal;
    const auto format = SoundFormatOf(data, refusal);
    if (!format || static_cast<std::uint8_t>(*format) != media.Format) return std::string();
    const char* type = *format == TSoundFormat::Wav ? "audio/wav" : "audio/mpeg";
    return std::string("data:") + type + ";base64," + EncodeBase64(data);
}

std::string CreditsHtml(const TGpiFile& file, TTextDecoder& decoder) {
    if (!file.PoiHeader || !file.PoiHeader->Copyright) return std::string();
    const auto& texts = file.PoiHeader->Copyright->Texts;
    static const char* const labels[] = {"Source", "Copyright"};
    std::string out = "<p class=\"credits\">";
    for (std::size_t i = 0; i < texts.size() && i < 2; ++i) {
        if (i > 0) out += "<br>";
        out += std::string("<b>") + labels[i] + ":</b> ";
        for (std::size_t e = 0; e < texts[i].size(); ++e) {
            if (e > 0) out += " / ";
            if (texts[i].size() > 1) out += HtmlText(decoder.Decode(texts[i][e].Language)) + ": ";
            out += HtmlText(decoder.Decode(texts[i][e].Text));
        }
    }
    return out + "</p>\n";
}

}  // namespace kestro
