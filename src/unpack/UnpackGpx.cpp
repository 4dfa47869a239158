#include "unpack/UnpackGpx.h"

#include <algorithm>

#include "sources/TranslationElements.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

namespace {

// The address elements in the order GPX files commonly give them (positions
// in AddressFields; the house number has no GPX element).
constexpr std::array<std::size_t, 5> AddressGpxOrder = {4, 0, 2, 1, 3};

// Markup characters escaped; control bytes as references, which XML allows
// where it does not allow the raw bytes.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
        else AppendEscapedXmlAttrValue(out, std::string_view(&c, 1));
    }
    return out;
}

void Element(std::string& out, const char* indent, const char* name, const std::string& text) {
    if (text.empty()) return;
    out += indent;
    out += '<';
    out += name;
    out += '>';
    out += text;  // already escaped
    out += "</";
    out += name;
    out += ">\n";
}

void Translated(std::string& out, const char* name, const std::string& language, const std::string& text) {
    if (text.empty()) return;
    out += std::string("   <") + TranslationPrefix + name + " lang=\"" + Escaped(language) + "\">" + text + "</" +
           TranslationPrefix + name + ">\n";
}

bool HasTranslations(const TGpxWaypoint& w) {
    return std::any_of(w.Translations.begin(), w.Translations.end(), [](const TGpiText& texts) { return !texts.empty(); });
}

// Language by language, each in the order of the point's localized texts.
void Translations(std::string& out, const TPoiTranslations& translations) {
    for (std::size_t i = 0; i < translations[TLocalized::Name].size(); ++i)
        for (const auto& field : LocalizedFields)
            if (i < translations[field.Place].size())
                Translated(out, field.ElementName, translations[field.Place][i].Language, translations[field.Place][i].Text);
}

bool AnyTranslation(const std::vector<TGpxWaypoint>& waypoints) {
    return std::any_of(waypoints.begin(), waypoints.end(), HasTranslations);
}

void Phone(std::string& out, const char* category, const std::string& text) {
    if (!text.empty()) out += "     <gpxx:PhoneNumber Category=\"" + std::string(category) + "\">" + text + "</gpxx:PhoneNumber>\n";
}

}  // namespace

std::string GpxDocument(const std::vector<TGpxWaypoint>& waypoints) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"kestro-dump\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\"";
    // The namespace is declared only where it is used, so that files without
    // translations read as they always did.
    if (AnyTranslation(waypoints)) out += std::string(" xmlns:kestro=\"") + TranslationNamespace + "\"";
    out += ">\n";
    for (const auto& w : waypoints) {
        out += " <wpt lat=\"" + w.Lat + "\" lon=\"" + w.Lon + "\">\n";
        Element(out, "  ", "name", w.Name);
        Element(out, "  ", "cmt", w.Comment);
        Element(out, "  ", "desc", w.Description);
        for (const auto& href : w.Links) out += "  <link href=\"" + Escaped(href) + "\"/>\n";
        const auto filled = [](const auto& texts) {
            return std::any_of(texts.begin(), texts.end(), [](const std::string& text) { return !text.empty(); });
        };
        const bool address = filled(w.Address);
        const bool contact = filled(w.Contact);
        const bool garmin = w.Proximity || address || contact;
        if (garmin || HasTranslations(w)) out += "  <extensions>\n";
        Translations(out, w.Translations);
        if (garmin) {
            out += "   <gpxx:WaypointExtension>\n";
            if (w.Proximity) out += "    <gpxx:Proximity>" + std::to_string(*w.Proximity) + "</gpxx:Proximity>\n";
            if (address) {
                out += "    <gpxx:Address>\n";
                for (const std::size_t i : AddressGpxOrder) Element(out, "     ", AddressFields[i].GpxName, w.Address[i]);
                out += "    </gpxx:Address>\n";
            }
            for (std::size_t i = 0; i < ContactFields.size(); ++i) Phone(out, ContactFields[i].GpxName, w.Contact[i]);
            out += "   </gpxx:WaypointExtension>\n";
        }
        if (garmin || HasTranslations(w)) out += "  </extensions>\n";
        out += " </wpt>\n";
    }
    out += "</gpx>\n";
    return out;
}

std::string XmlText(const Bytes& text, TTextDecoder& decoder, std::size_t* dropped) {
    std::string utf8;
    for (char32_t c : decoder.Decode(text)) {
        if (IsUndecodedByte(c)) {
            utf8 += "&#" + std::to_string(static_cast<unsigned>(c - UndecodedByteBase)) + ";";
        } else if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF) {
            // XML 1.0 has no way to write these, not even as references: other readers refuse the file.
            if (dropped != nullptr) ++*dropped;
        } else if (c == '&' || c == '<' || c == '>' || c == '"' || c < 0x20) {
            utf8 += Escaped(std::string(1, static_cast<char>(c)));
        } else {
            AppendUtf8(utf8, c);
        }
    }
    return utf8;
}

}  // namespace kestro
