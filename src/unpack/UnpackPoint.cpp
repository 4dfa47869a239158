#include "unpack/UnpackPoint.h"

#include <algorithm>

#include <set>

#include "diag/Exceptions.h"
#include "unpack/UnpackLanguages.h"
#include "gpi/GpiUtil.h"
#include "sources/CommentRule.h"
#include "sources/SpeedSuffix.h"
#include "unpack/UnpackValues.h"

namespace kestro {

namespace {

// 90 degrees in semicircles; kestro writes 90.0 one unit below it, so
// this value and those beyond are out of its reach (as is -180 degrees exactly).
constexpr std::int32_t NorthPole = 1 << 30;

// The reader trims blanks and control bytes at both ends of every text.
bool Trimmed(const Bytes& text) {
    return text.empty() || (static_cast<unsigned char>(text.front()) > 32 && static_cast<unsigned char>(text.back()) > 32);
}

std::string Display(const Bytes& text, TTextDecoder& decoder) {
    std::string out;
    for (char32_t c : decoder.Decode(text)) AppendUtf8(out, IsUndecodedByte(c) ? U'?' : c);
    return out;
}

class TPointWriter {
public:
    TPointWriter(TTextDecoder& decoder, TUnpackTally& tally) : decoder_(decoder), tally_(tally) {}

    std::string Text(const Bytes& text) {
        if (!Trimmed(text)) tally_.Add("texts with blanks or control bytes at either end (trimmed)");
        std::size_t dropped = 0;
        std::string xml = XmlText(text, decoder_, &dropped);
        tally_.Add("control characters in texts (left out: XML 1.0 cannot hold them)", dropped);
        return xml;
    }
    std::string Text(const std::optional<Bytes>& text) { return text ? Text(*text) : std::string(); }

private:
    TTextDecoder& decoder_;
    TUnpackTally& tally_;
};

}  // namespace

TGpxWaypoint WaypointOf(const TGpiPoint& point, const TPointLinks& links, TAlertDefaults defaults,
                        const std::vector<Bytes>& languages, TTextDecoder& decoder, TUnpackTally& tally) {
    TPointWriter text(decoder, tally);
    auto byLanguage = [&](const TGpiText& localized) { return TextsByLanguage(localized, languages, tally); };
    const std::size_t further = languages.empty() ? 0 : languages.size() - 1;
    // As the file holds them: an entry per further language in every list.
    TPoiTranslations translations;
    for (auto& texts : translations)
        for (std::size_t i = 1; i < languages.size(); ++i) texts.push_back({languages[i], Bytes()});
    auto translate = [&](TLocalized place, std::vector<Bytes>& texts) {
        for (std::size_t i = 0; i < further; ++i) translations[place][i].Text = std::move(texts[i + 1]);
    };
    TGpxWaypoint w;
    const bool atOrigin = point.Lat == 0 && point.Lon == 0;
    w.Lat = CoordinateText(point.Lat, atOrigin);
    w.Lon = CoordinateText(point.Lon);
    if (point.Lat >= NorthPole || point.Lat <= -NorthPole || point.Lon == INT32_MIN)
        tally.Add("points at or beyond the poles or at -180 degrees exactly (kestro skips them)");
    if (point.Word != 1) tally.Add("point records with another word than 1 after the position");

    std::vector<Bytes> names = byLanguage(point.Name);
    for (Bytes& name : names) {
        if (const auto at = SpeedSuffixAt(name); at != Bytes::npos) {
            tally.Add("names holding \"@\" and a number (cut there: the reader takes the number as a speed)");
            name.resize(at);
        }
    }
    const Bytes& name = names.front();
    w.Name = text.Text(name);
    translate(TLocalized::Name, names);

    std::set<std::uint16_t> seen;
    std::optional<Bytes> wantedAlert;
    Bytes comment, description;
    std::size_t imagePosition = 0;
    // The converter writes sub-records in the order of the variant's kinds.
    std::size_t lastKind = 0;
    for (const auto& part : point.Parts) {
        if (!std::holds_alternative<TGpiOther>(part)) {
            if (part.index() < lastKind) tally.Add("points whose sub-records come in another order than kestro writes");
            lastKind = std::max(lastKind, part.index());
        }
        const std::uint16_t type = PartType(part);
        if (type != GpiTypeImage && !seen.insert(type).second) {
            tally.Add("repeated point sub-records");
            continue;
        }
        if (const auto* alert = std::get_if<TGpiAlert>(&part)) {
            wantedAlert = GpiWord(alert->Distance) + GpiWord(alert->Speed) + alert->Fixed +
                          static_cast<char>(alert->Kind) + static_cast<char>(alert->Last);
        } else if (const auto* c = std::get_if<TGpiComment>(&part)) {
            auto texts = byLanguage(c->Text);
            comment = texts.front();
            translate(TLocalized::Comment, texts);
        } else if (const auto* d = std::get_if<TGpiDescription>(&part)) {
            if (d->Kind != 1) tally.Add("description records of another kind than 1");
            auto texts = byLanguage(d->Text);
            description = texts.front();
            translate(TLocalized::Description, texts);
        } else if (const auto* a = std::get_if<TGpiAddress>(&part)) {
            for (std::size_t i = 0; i < AddressFields.size(); ++i) {
                const TAddressField& field = AddressFields[i];
                if (field.GpxName == nullptr) {
                    if (a->*field.Plain) tally.Add("house numbers");  // GPX has no place for it
                } else if (!field.Localized()) {
                    w.Address[i] = text.Text(a->*field.Plain);
                } else if (a->*field.Text) {
                    auto texts = byLanguage(*(a->*field.Text));
                    w.Address[i] = text.Text(texts.front());
                    translate(*field.Translated, texts);
                }
            }
        } else if (const auto* k = std::get_if<TGpiContact>(&part)) {
            for (std::size_t i = 0; i < ContactFields.size(); ++i) w.Contact[i] = text.Text(k->*ContactFields[i].Plain);
        } else if (const auto* image = std::get_if<TGpiImage>(&part)) {
            if (image->Index != static_cast<std::uint8_t>(imagePosition) || image->Data.size() != image->Size)
                tally.Add("image records numbered out of order or cut short");
            ++imagePosition;
        } else if (const auto* other = std::get_if<TGpiOther>(&part)) {
            CountRecords({*other}, "inside points", tally);
        }
    }
    w.Comment = text.Text(comment);
    w.Description = text.Text(description);
    if (DescriptionServesAsComment(comment, description))
        tally.Add("short descriptions without a comment (they are read back as the comment)");

    if ((point.AlertFlag != 0) != wantedAlert.has_value()) tally.Add("point alert flags that disagree with the alert record");
    TAlertWriting alert = AlertWriting(wantedAlert, defaults);
    if (const TGpiAlert* played = point.Alert(); played != nullptr && played->CustomSound()) {
        // kestro writes the sound's number where the predefined sound of a
        // proximity (4) or speed (5) alert would stand: the rest must match.
        // Either gives the same bytes back; a proximity alert needs no "@0".
        if (!links.SoundServed) tally.Add("alerts that play a sound kestro cannot write back (the predefined one plays)");
        for (const char kind : {'\x04', '\x05'}) {
            Bytes predefined = *wantedAlert;
            predefined.replace(10, 2, Bytes{kind, '\x10'});
            alert = AlertWriting(predefined, defaults);
            if (alert.Exact) break;
        }
    }
    if (!alert.Exact) {
        tally.Add("alerts the converter cannot rebuild (listed below)");
        tally.AddAlertPoint(Display(name, decoder));
    }
    if (alert.Speed) w.Name += "@" + std::to_string(*alert.Speed);
    w.Proximity = alert.Proximity;

    for (auto& texts : translations)
        for (auto& entry : texts) entry.Text = text.Text(entry.Text);
    w.Translations = std::move(translations);

    if (!links.Icon.empty()) w.Links.push_back(links.Icon);
    for (const auto& photo : links.Photos) w.Links.push_back(photo);
    if (!links.Sound.empty()) w.Links.push_back(links.Sound);
    return w;
}

}  // namespace kestro
