#include "dump/UnpackGpx.h"

#include "gpx/Translations.h"
#include "xml/XmlTextNodes.h"

namespace kestro {

namespace {

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

void Translations(std::string& out, const std::vector<TGpxTranslation>& translations) {
    for (const auto& t : translations) {
        Translated(out, "name", t.Language, t.Name);
        Translated(out, "cmt", t.Language, t.Comment);
        Translated(out, "desc", t.Language, t.Description);
        Translated(out, "street", t.Language, t.Street);
        Translated(out, "city", t.Language, t.City);
        Translated(out, "state", t.Language, t.State);
        Translated(out, "country", t.Language, t.Country);
    }
}

bool AnyTranslation(const std::vector<TGpxWaypoint>& waypoints) {
    for (const auto& w : waypoints)
        if (!w.Translations.empty()) return true;
    return false;
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
        const bool address = !(w.Street + w.City + w.State + w.Country + w.PostalCode).empty();
        const bool contact = !(w.Phone + w.Phone2 + w.Fax + w.Email + w.Url).empty();
        const bool garmin = w.Proximity || address || contact;
        if (garmin || !w.Translations.empty()) out += "  <extensions>\n";
        Translations(out, w.Translations);
        if (garmin) {
            out += "   <gpxx:WaypointExtension>\n";
            if (w.Proximity) out += "    <gpxx:Proximity>" + std::to_string(*w.Proximity) + "</gpxx:Proximity>\n";
            if (address) {
                out += "    <gpxx:Address>\n";
                Element(out, "     ", "gpxx:StreetAddress", w.Street);
                Element(out, "     ", "gpxx:City", w.City);
                Element(out, "     ", "gpxx:State", w.State);
                Element(out, "     ", "gpxx:Country", w.Country);
                Element(out, "     ", "gpxx:PostalCode", w.PostalCode);
                out += "    </gpxx:Address>\n";
            }
            Phone(out, "Phone", w.Phone);
            Phone(out, "Phone2", w.Phone2);
            Phone(out, "Fax", w.Fax);
            Phone(out, "Email", w.Email);
            Phone(out, "URL", w.Url);
            out += "   </gpxx:WaypointExtension>\n";
        }
        if (garmin || !w.Translations.empty()) out += "  </extensions>\n";
        out += " </wpt>\n";
    }
    out += "</gpx>\n";
    return out;
}

std::string XmlText(const Bytes& text, TTextDecoder& decoder) {
    std::string utf8;
    for (char32_t c : decoder.Decode(text)) {
        if (IsUndecodedByte(c)) utf8 += "&#" + std::to_string(static_cast<unsigned>(c - UndecodedByteBase)) + ";";
        else if (c == '&' || c == '<' || c == '>' || c == '"' || c < 0x20) utf8 += Escaped(std::string(1, static_cast<char>(c)));
        else AppendUtf8(utf8, c);
    }
    return utf8;
}

}  // namespace kestro
