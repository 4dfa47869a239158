#include "report/HtmlReportData.h"

#include <array>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "diag/Exceptions.h"
#include "dump/DumpFormat.h"
#include "gpi/FileLanguages.h"
#include "gpi/PoiFields.h"
#include "platform/Base64.h"
#include "report/HtmlImages.h"
#include "report/HtmlSounds.h"
#include "report/HtmlText.h"
#include "report/ReportLanguages.h"

namespace kestro {

std::u32string FirstLanguage(TTextDecoder& decoder, const TGpiText& text) {
    return text.empty() ? std::u32string() : decoder.Decode(text.front().Text);
}

std::u32string TextIn(TTextDecoder& decoder, const TGpiText& text, const Bytes& language) {
    for (const auto& entry : text)
        if (entry.Language == language) return decoder.Decode(entry.Text);
    return FirstLanguage(decoder, text);
}

namespace {

// The address as on an envelope: street and house number, postal code and
// city, state, country (positions in AddressFields).
constexpr std::array<std::size_t, 6> AddressReportOrder = {4, 5, 3, 0, 2, 1};

class TReportData {
public:
    TReportData(const TGpiFile& file, const std::vector<TGroupSummary>& summaries, std::ostream& out)
        : file_(file), summaries_(summaries), out_(out), decoder_(file.CodePage()) {
        languages_ = ReportLanguages(file).Shown;
    }

    void Write() {
        out_ << '{';
        if (!languages_.empty()) {
            out_ << "\"languages\":[";
            for (std::size_t i = 0; i < languages_.size(); ++i)
                out_ << (i > 0 ? "," : "") << ScriptText(decoder_.Decode(languages_[i]));
            out_ << "],";
        }
        out_ << "\"groups\":[";
        for (std::size_t i = 0; i < file_.Groups.size(); ++i) {
            if (i > 0) out_ << ',';
            GroupData(file_.Groups[i], summaries_[i]);
        }
        out_ << "]}";
    }

private:
    template <class F> void Array(const char* key, std::size_t count, F item) {
        out_ << ",\"" << key << "\":[";
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) out_ << ',';
            item(i);
        }
        out_ << ']';
    }

    void GroupData(const TGpiGroup& group, const TGroupSummary& summary) {
        const auto& points = summary.Points;
        std::map<std::uint16_t, int> iconIndex;
        for (std::size_t b = 0; b < group.Bitmaps.size(); ++b) iconIndex.emplace(group.Bitmaps[b].Number, static_cast<int>(b));
        auto iconOf = [&](const std::optional<TGpiBitmapRef>& ref) {
            const auto found = ref ? iconIndex.find(ref->Number) : iconIndex.end();
            return found == iconIndex.end() ? -1 : found->second;
        };
        const auto& e = summary.Extent;
        out_ << "{\"groupName\":" << ScriptText(First(group.Name)) << Format(",\"box\":[%.7f,%.7f,%.7f,%.7f]", e.West, e.South, e.East, e.North);
        Array("categories", group.Categories.size(), [&](std::size_t c) { out_ << ScriptText(First(group.Categories[c].Name)); });
        Array("categoryIcons", group.Categories.size(), [&](std::size_t c) { out_ << iconOf(group.Categories[c].Bitmap); });
        Array("categoryCounts", group.Categories.size(), [&](std::size_t c) { out_ << summary.CategoryCounts[c]; });
        Array("colours", group.Categories.size() + 1, [&](std::size_t c) {
            out_ << '"' << CategoryColour(c < group.Categories.size() ? static_cast<int>(c) : NoCategory) << '"';
        });
        Array("icons", group.Bitmaps.size(), [&](std::size_t b) {
            const auto bmp = BitmapAsBmp(group.Bitmaps[b]);
            out_ << '"' << (bmp ? "data:image/bmp;base64," + EncodeBase64(*bmp) : std::string()) << '"';
        });
        Array("areas", summary.Areas.size(), [&](std::size_t a) {
            const TGpiArea& area = *summary.Areas[a];
            out_ << Format("%d,%.6f,%.6f,%.6f,%.6f", area.Depth, SemicirclesToDeg(area.West), SemicirclesToDeg(area.South),
                           SemicirclesToDeg(area.East), SemicirclesToDeg(area.North));
        });
        Array("lat", points.size(), [&](std::size_t p) { out_ << Format("%.6f", SemicirclesToDeg(points[p]->Lat)); });
        Array("lon", points.size(), [&](std::size_t p) { out_ << Format("%.6f", SemicirclesToDeg(points[p]->Lon)); });
        Array("name", points.size(), [&](std::size_t p) { out_ << ScriptText(First(points[p]->Name)); });
        Array("category", points.size(), [&](std::size_t p) { out_ << summary.PointCategory[p]; });
        media_.clear();
        for (std::size_t m = 0; m < group.Media.size(); ++m) media_.emplace(group.Media[m].Number, m);
        Array("icon", points.size(), [&](std::size_t p) {
            std::optional<TGpiBitmapRef> ref;
            for (const auto& part : points[p]->Parts)
                if (const auto* r = std::get_if<TGpiBitmapRef>(&part); r != nullptr && !ref) ref = *r;
            out_ << iconOf(ref);
        });
        Array("alert", points.size(), [&](std::size_t p) { out_ << ScriptJsonString(AlertShort(points[p]->Alert())); });
        std::vector<std::string> photos;
        Array("info", points.size(), [&](std::size_t p) { out_ << PointInfo(*points[p], photos); });
        Array("photos", photos.size(), [&](std::size_t p) { out_ << '"' << photos[p] << '"'; });
        if (!group.Media.empty()) Array("sounds", group.Media.size(), [&](std::size_t m) { out_ << '"' << SoundDataUri(group.Media[m]) << '"'; });
        if (!languages_.empty()) {
            Array("languageTexts", languages_.size(), [&](std::size_t l) { GroupTexts(group, summary, l); });
        }
        out_ << '}';
    }

    // The texts of a group in one language: in the first one every point's,
    // in the others (as "index": text) only those that differ from the
    // first's, so that the page grows with the texts, not with languages
    // times points. Photos are numbered as in the group's own list, since
    // the points come in the same order.
    void GroupTexts(const TGpiGroup& group, const TGroupSummary& summary, std::size_t language) {
        const auto& points = summary.Points;
        language_ = &languages_[language];
        out_ << "{\"groupName\":" << ScriptText(First(group.Name));
        Array("categories", group.Categories.size(), [&](std::size_t c) { out_ << ScriptText(First(group.Categories[c].Name)); });
        std::vector<std::string> photos;
        if (language == 0) {
            Array("name", points.size(), [&](std::size_t p) { out_ << ScriptText(First(points[p]->Name)); });
            Array("info", points.size(), [&](std::size_t p) { out_ << PointInfo(*points[p], photos); });
        } else {
            std::string names, infos;
            for (std::size_t p = 0; p < points.size(); ++p) {
                const std::string name = ScriptText(First(points[p]->Name));
                const std::string info = PointInfo(*points[p], photos);
                language_ = &languages_[0];
                std::vector<std::string> firstPhotos;
                if (name != ScriptText(First(points[p]->Name))) names += (names.empty() ? "" : ",") + Format("\"%zu\":", p) + name;
                if (info != PointInfo(*points[p], firstPhotos)) infos += (infos.empty() ? "" : ",") + Format("\"%zu\":", p) + info;
                language_ = &languages_[language];
            }
            out_ << ",\"name\":{" << names << "},\"info\":{" << infos << '}';
        }
        out_ << '}';
        language_ = nullptr;
    }

    static std::string Speed(const TGpiAlert& alert) { return SpeedText(alert.Speed); }

    static std::string AlertShort(const TGpiAlert* alert) {
        if (alert == nullptr) return std::string();
        std::string text = alert->Speed > 0 ? Speed(*alert) : alert->Kind == 5 ? "speed" : std::string();
        if (alert->Distance > 0) text += (text.empty() ? "" : ", ") + Format("%u m", alert->Distance);
        return text.empty() ? "alert" : text;
    }

    // The fields the details show besides name, category, icon and position; keys only for fields present.
    std::string PointInfo(const TGpiPoint& point, std::vector<std::string>& photos) {
        std::vector<std::pair<const char*, std::string>> fields;
        std::string photoList;
        std::string sound;
        fields.emplace_back("offset", OffsetText(point.Offset));
        auto add = [&](const char* key, std::string text) {
            for (auto& field : fields)
                if (std::string_view(field.first) == key) {
                    field.second += "\n" + text;  // a repeated sub-record shows every copy
                    return;
                }
            fields.emplace_back(key, std::move(text));
        };
        auto bytes = [&](const char* label, const std::optional<Bytes>& value) {
            return value ? std::string(label) + PrintableText(decoder_.Decode(*value)) + "\n" : std::string();
        };
        auto text = [&](const char* label, const std::optional<TGpiText>& value) {
            return value ? std::string(label) + AllLanguages(*value) + "\n" : std::string();
        };
        // "Label: text" and a line break, when the field is present.
        auto field = [&](const auto& part, const auto& f) {
            const std::string label = std::string(f.Label) + ": ";
            return f.Localized() ? text(label.c_str(), part.*f.Text) : bytes(label.c_str(), part.*f.Plain);
        };
        for (const auto& part : point.Parts) {
            if (const auto* alert = std::get_if<TGpiAlert>(&part); alert != nullptr && alert->CustomSound()) {
                add("alert", Format("speed %s, distance %s, sound: media %u",
                                    Speed(*alert).c_str(),
                                    alert->Distance > 0 ? Format("%u m", alert->Distance).c_str() : "none", alert->Sound()));
                if (const auto found = media_.find(alert->Sound()); found != media_.end()) sound = Format("%zu", found->second);
            } else if (const auto* alert = std::get_if<TGpiAlert>(&part)) {
                const char* kind = alert->Kind == 5 ? "speed" : alert->Kind == 4 ? "proximity" : "other";
                add("alert", Format("speed %s, distance %s, kind %u (%s)",
                                    Speed(*alert).c_str(),
                                    alert->Distance > 0 ? Format("%u m", alert->Distance).c_str() : "none", alert->Kind, kind));
            } else if (const auto* comment = std::get_if<TGpiComment>(&part)) {
                add("comment", AllLanguages(comment->Text));
            } else if (const auto* description = std::get_if<TGpiDescription>(&part)) {
                add("description", AllLanguages(description->Text));
            } else if (const auto* address = std::get_if<TGpiAddress>(&part)) {
                std::string lines;
                for (const std::size_t i : AddressReportOrder) lines += field(*address, AddressFields[i]);
                if (!lines.empty()) lines.pop_back();
                add("address", lines);
            } else if (const auto* contact = std::get_if<TGpiContact>(&part)) {
                std::string lines;
                for (const auto& contactField : ContactFields) lines += field(*contact, contactField);
                if (!lines.empty()) lines.pop_back();
                add("contact", lines);
            } else if (const auto* image = std::get_if<TGpiImage>(&part)) {
                const auto data = ImageBytes(*image);
                const std::string uri = data ? ImageDataUri(*data) : std::string();
                if (!photoList.empty()) photoList += ',';
                if (uri.empty()) {
                    add("photoNotes", Format("Photo %u: %u bytes, %s", image->Index, image->Size,
                                             data ? "not a picture a browser shows" : "its bytes overrun the record"));
                    photoList += "-1";
                } else {
                    photoList += Format("%zu", photos.size());
                    photos.push_back(uri);
                }
            }
        }
        std::ostringstream out;
        out << '{';
        for (std::size_t f = 0; f < fields.size(); ++f)
            out << (f > 0 ? ",\"" : "\"") << fields[f].first << "\":" << ScriptJsonString(fields[f].second);
        if (!photoList.empty()) out << ",\"photos\":[" << photoList << ']';
        if (!sound.empty()) out << ",\"sound\":" << sound;
        out << '}';
        return out.str();
    }

    // The text in the language chosen, else in the first.
    std::u32string First(const TGpiText& text) {
        return language_ != nullptr ? TextIn(decoder_, text, *language_) : FirstLanguage(decoder_, text);
    }

    // All languages of a text, the language codes only when there are
    // several; only the language chosen when there is one.
    std::string AllLanguages(const TGpiText& text) {
        if (language_ != nullptr) return PrintableText(First(text));
        if (text.size() == 1) return PrintableText(decoder_.Decode(text.front().Text));
        std::string out;
        for (const auto& entry : text) {
            if (!out.empty()) out += '\n';
            out += PrintableText(decoder_.Decode(entry.Language)) + ": " + PrintableText(decoder_.Decode(entry.Text));
        }
        return out;
    }

    const TGpiFile& file_;
    const std::vector<TGroupSummary>& summaries_;
    std::ostream& out_;
    TTextDecoder decoder_;
    std::vector<Bytes> languages_;      // empty unless the texts come in several languages
    const Bytes* language_ = nullptr;  // of the texts being written; null: the file's own choice
    std::map<std::uint16_t, std::size_t> media_;  // of the group being written: media number → position
};

}  // namespace

void WriteReportData(const TGpiFile& file, const std::vector<TGroupSummary>& summaries, std::ostream& out) {
    TReportData(file, summaries, out).Write();
}

}  // namespace kestro
