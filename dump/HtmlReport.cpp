#include "dump/HtmlReport.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "diag/Exceptions.h"
#include "dump/DumpFormat.h"
#include "dump/GroupSummary.h"
#include "dump/HtmlImages.h"
#include "dump/HtmlText.h"
#include "dump/TextDecoder.h"
#include "gpi/GpiCheck.h"
#include "platform/CodePages.h"

namespace kestro {

namespace {

constexpr std::size_t MaxListedProblems = 50;
constexpr std::size_t OpenProblemList = 5;

// The page fragment's <style> element goes into the head, its <script> element to the end of the body.
std::string_view PageStyle() {
    const std::string_view page = HtmlReportPage;
    return page.substr(0, page.find("<script>"));
}
std::string_view PageScript() {
    const std::string_view page = HtmlReportPage;
    return page.substr(std::min(page.find("<script>"), page.size()));
}

std::string Plural(std::size_t count, const char* word) {
    return Format("%zu %s%s", count, word, count == 1 ? "" : "s");
}

class TReport {
public:
    TReport(const TGpiFile& file, const Bytes& content, std::ostream& out)
        : file_(file), content_(content), out_(out), decoder_(file.CodePage()) {
        for (const auto& group : file.Groups) summaries_.push_back(SummarizeGroup(group));
    }

    void Write(const std::string& fileName) {
        const std::string name = EscapeHtml(fileName);
        out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
             << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
             // The page loads nothing: pictures are data URIs, style and script are inline.
             << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
                "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
             << "<title>" << name << " \xE2\x80\x93 kestro-dump</title>\n" << PageStyle() << "</head>\n"
             << "<body>\n<header><h1>" << name << "</h1>\n<p class=\"meta\">" << Meta() << "</p></header>\n"
             << "<div class=\"layout\">\n<main>\n";
        Overview();
        for (std::size_t i = 0; i < file_.Groups.size(); ++i) GroupSection(i);
        out_ << "<section id=\"points\"><h2>Points</h2>\n<div class=\"filters\">"
                "<input id=\"filter\" type=\"search\" placeholder=\"Filter by name, category or group\" aria-label=\"Filter\">"
                "<label><input id=\"alerts-only\" type=\"checkbox\"> alerts only</label>"
                "<span id=\"row-count\"></span></div>\n"
                "<table id=\"point-table\" class=\"points\"><thead><tr><th>Group</th><th>Name</th><th>Category</th>"
                "<th>Alert</th></tr></thead><tbody></tbody></table>\n"
                "<button id=\"more-rows\" type=\"button\" hidden>Show more</button></section>\n</main>\n"
                "<aside id=\"details\"><h2>Point</h2><p class=\"hint\">Click a point on a map or a row of the table.</p></aside>\n"
                "</div>\n<script type=\"application/json\" id=\"kestro-data\">";
        Data();
        out_ << "</script>\n" << PageScript() << "</body>\n</html>\n";
    }

private:
    std::u32string First(const TGpiText& text) { return text.empty() ? std::u32string() : decoder_.Decode(text.front().Text); }

    // All languages of a text; the language codes only when there are several.
    std::string AllLanguages(const TGpiText& text) {
        if (text.size() == 1) return PrintableText(decoder_.Decode(text.front().Text));
        std::string out;
        for (const auto& entry : text) {
            if (!out.empty()) out += '\n';
            out += PrintableText(decoder_.Decode(entry.Language)) + ": " + PrintableText(decoder_.Decode(entry.Text));
        }
        return out;
    }

    std::string Meta() {
        std::string text = Format("GPI file, %s", Plural(file_.Size, "byte").c_str());
        if (file_.PoiHeader)
            text += Format(", code page %u (%s), version &quot;%s&quot;", file_.CodePage(),
                           EscapeHtml(CodePageEncodingName(file_.CodePage())).c_str(),
                           HtmlText(decoder_.Decode(file_.PoiHeader->Version)).c_str());
        else text += ", no POI header (texts read as code page 1252)";
        text += ", " + Plural(file_.Groups.size(), "group");
        const std::string stored = HtmlText(decoder_.Decode(file_.Header.FileName));
        if (!stored.empty()) text += ", file name in the header: &quot;" + stored + "&quot;";
        return text;
    }

    void Overview() {
        out_ << "<section id=\"overview\"><h2>Overview</h2>\n<table class=\"groups\"><thead><tr><th>#</th><th>Group</th>"
                "<th>Points</th><th>Icons</th><th>Photos</th><th>Alerts</th><th>Categories</th></tr></thead><tbody>\n";
        for (std::size_t i = 0; i < file_.Groups.size(); ++i) {
            const TGpiGroup& group = file_.Groups[i];
            const TGroupSummary& summary = summaries_[i];
            out_ << Format("<tr data-group=\"%zu\"><td>%zu</td><td><a href=\"#group-%zu\">", i, i + 1, i + 1)
                 << HtmlText(First(group.Name)) << "</a></td>"
                 << Format("<td class=\"num\">%zu</td><td class=\"num\">%zu</td><td class=\"num\">%zu</td><td class=\"num\">%zu</td><td>",
                           summary.Points.size(), group.Bitmaps.size(), summary.Photos, summary.Alerts);
            for (std::size_t c = 0; c < group.Categories.size(); ++c)
                out_ << Format("<span class=\"category\" data-category=\"%zu\"><i style=\"background:%s\"></i>", c,
                               CategoryColour(static_cast<int>(c)).c_str())
                     << HtmlText(First(group.Categories[c].Name)) << Format(" <b>%zu</b></span> ", summary.CategoryCounts[c]);
            if (summary.Uncategorised > 0 && !group.Categories.empty())
                out_ << Format("<span class=\"category none\"><i style=\"background:%s\"></i>no category <b>%zu</b></span>",
                               CategoryColour(NoCategory).c_str(), summary.Uncategorised);
            out_ << "</td></tr>\n";
        }
        out_ << "</tbody></table>\n";
        const auto problems = CheckGpi(file_);
        out_ << Format("<div id=\"check\" class=\"check %s\" data-problems=\"%zu\"><b>kestro-dump --check:</b> ",
                       problems.empty() ? "clean" : "problems", problems.size());
        if (problems.empty()) out_ << "No problems found.";
        else out_ << Format("%zu problem%s found.", problems.size(), problems.size() == 1 ? "" : "s");
        if (!problems.empty()) {
            // A long list of the same kind of problem stays folded until asked for.
            out_ << (problems.size() <= OpenProblemList ? "<details open>" : "<details>") << "<summary>the problems</summary><ul>";
            for (std::size_t i = 0; i < problems.size() && i < MaxListedProblems; ++i)
                out_ << Format("<li><code>0x%08zX</code> ", problems[i].Offset) << EscapeHtml(problems[i].Text) << "</li>";
            if (problems.size() > MaxListedProblems)
                out_ << Format("<li>and %zu more (kestro-dump --check lists all)</li>", problems.size() - MaxListedProblems);
            out_ << "</ul></details>";
        }
        out_ << "</div></section>\n";
    }

    void GroupSection(std::size_t i) {
        out_ << Format("<section class=\"group\" id=\"group-%zu\" data-group=\"%zu\"><h2>Group %zu: ", i + 1, i, i + 1)
             << HtmlText(First(file_.Groups[i].Name)) << " <small>" << Plural(summaries_[i].Points.size(), "point")
             << "</small></h2>\n<div class=\"map-tools\"><label><input type=\"checkbox\" class=\"show-areas\" checked> area boxes</label>"
                "<button type=\"button\" class=\"reset-view\">Reset view</button>"
                "<span class=\"hint\">wheel: zoom, drag: move, click: point details</span></div>\n"
                "<div class=\"map\"></div>\n<ul class=\"legend\"></ul></section>\n";
    }

    void Data() {
        out_ << "{\"groups\":[";
        for (std::size_t i = 0; i < file_.Groups.size(); ++i) {
            if (i > 0) out_ << ',';
            GroupData(file_.Groups[i], summaries_[i]);
        }
        out_ << "]}";
    }

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
            const auto bmp = BitmapAsBmp(group.Bitmaps[b], content_);
            out_ << '"' << (bmp ? "data:image/bmp;base64," + Base64(*bmp) : std::string()) << '"';
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
        Array("icon", points.size(), [&](std::size_t p) {
            std::optional<TGpiBitmapRef> ref;
            for (const auto& part : points[p]->Parts)
                if (const auto* r = std::get_if<TGpiBitmapRef>(&part); r != nullptr && !ref) ref = *r;
            out_ << iconOf(ref);
        });
        Array("alert", points.size(), [&](std::size_t p) { out_ << ScriptJsonString(AlertShort(points[p]->Alert())); });
        std::vector<std::string> photos;
        Array("info", points.size(), [&](std::size_t p) { PointInfo(*points[p], photos); });
        Array("photos", photos.size(), [&](std::size_t p) { out_ << '"' << photos[p] << '"'; });
        out_ << '}';
    }

    static std::string Speed(const TGpiAlert& alert) { return Format("%.0f km/h", alert.Speed * 0.036); }

    static std::string AlertShort(const TGpiAlert* alert) {
        if (alert == nullptr) return std::string();
        std::string text = alert->Speed > 0 ? Speed(*alert) : alert->Kind == 5 ? "speed" : std::string();
        if (alert->Distance > 0) text += (text.empty() ? "" : ", ") + Format("%u m", alert->Distance);
        return text.empty() ? "alert" : text;
    }

    // The fields the details show besides name, category, icon and position; keys only for fields present.
    void PointInfo(const TGpiPoint& point, std::vector<std::string>& photos) {
        std::vector<std::pair<const char*, std::string>> fields;
        std::string photoList;
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
        for (const auto& part : point.Parts) {
            if (const auto* alert = std::get_if<TGpiAlert>(&part)) {
                const char* kind = alert->Kind == 5 ? "speed" : alert->Kind == 4 ? "proximity" : "other";
                add("alert", Format("speed %s, distance %s, kind %u (%s)",
                                    alert->Speed > 0 ? Speed(*alert).c_str() : "none",
                                    alert->Distance > 0 ? Format("%u m", alert->Distance).c_str() : "none", alert->Kind, kind));
            } else if (const auto* comment = std::get_if<TGpiComment>(&part)) {
                add("comment", AllLanguages(comment->Text));
            } else if (const auto* description = std::get_if<TGpiDescription>(&part)) {
                add("description", AllLanguages(description->Text));
            } else if (const auto* address = std::get_if<TGpiAddress>(&part)) {
                std::string lines = text("Street: ", address->Street) + bytes("House number: ", address->HouseNumber) +
                                    bytes("Postal code: ", address->PostalCode) + text("City: ", address->City) +
                                    text("State: ", address->State) + text("Country: ", address->Country);
                if (!lines.empty()) lines.pop_back();
                add("address", lines);
            } else if (const auto* contact = std::get_if<TGpiContact>(&part)) {
                std::string lines = bytes("Phone: ", contact->Phone) + bytes("Phone 2: ", contact->Phone2) +
                                    bytes("Fax: ", contact->Fax) + bytes("E-mail: ", contact->Email) +
                                    bytes("Web: ", contact->Url);
                if (!lines.empty()) lines.pop_back();
                add("contact", lines);
            } else if (const auto* image = std::get_if<TGpiImage>(&part)) {
                const auto data = ImageBytes(*image, content_);
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
        out_ << '{';
        for (std::size_t f = 0; f < fields.size(); ++f)
            out_ << (f > 0 ? ",\"" : "\"") << fields[f].first << "\":" << ScriptJsonString(fields[f].second);
        if (!photoList.empty()) out_ << ",\"photos\":[" << photoList << ']';
        out_ << '}';
    }

    const TGpiFile& file_;
    const Bytes& content_;
    std::ostream& out_;
    TTextDecoder decoder_;
    std::vector<TGroupSummary> summaries_;
};

}  // namespace

void WriteHtmlReport(const TGpiFile& file, const Bytes& content, const std::string& fileName, std::ostream& out) {
    TReport(file, content, out).Write(fileName);
}

}  // namespace kestro
