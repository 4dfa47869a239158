#include "report/HtmlReport.h"

#include <algorithm>
#include <string_view>

#include "diag/Exceptions.h"
#include "dump/GroupSummary.h"
#include "gpi/FileLanguages.h"
#include "report/ReportLanguages.h"
#include "gpi/GpiCheck.h"
#include "gpi/TextDecoder.h"
#include "platform/CodePages.h"
#include "report/HtmlReportData.h"
#include "report/HtmlSounds.h"
#include "report/HtmlText.h"

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
    TReport(const TGpiFile& file, std::ostream& out)
        : file_(file), out_(out), decoder_(file.CodePage()), languages_(ReportLanguages(file)) {
        for (const auto& group : file.Groups) summaries_.push_back(SummarizeGroup(group));
    }

    void Write(const std::string& fileName) {
        const std::string name = EscapeHtml(fileName);
        out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
             << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
             // The page loads nothing: pictures are data URIs, style and script are inline.
             << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
                "media-src data:; style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
             << "<title>" << name << " \xE2\x80\x93 kestro-dump</title>\n" << PageStyle() << "</head>\n"
             << "<body>\n<header><h1>" << name << "</h1>\n<p class=\"meta\">" << Meta() << "</p>" << LanguageSwitch()
             << "</header>\n"
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
        WriteReportData(file_, summaries_, out_);
        out_ << "</script>\n" << PageScript() << "</body>\n</html>\n";
    }

private:
    // The text in the language the switch shows first.
    std::u32string First(const TGpiText& text) {
        return languages_.Shown.empty() ? FirstLanguage(decoder_, text) : TextIn(decoder_, text, languages_.Shown.front());
    }

    // The page shows each text in one language at a time, chosen here.
    std::string LanguageSwitch() {
        const auto& languages = languages_;
        if (languages.Shown.empty()) return std::string();
        std::string out = "\n<p class=\"languages\"><label>Language <select id=\"language\">";
        for (const auto& code : languages.Shown) out += "<option>" + HtmlText(decoder_.Decode(code)) + "</option>";
        out += "</select></label>";
        if (languages.All > languages.Shown.size())
            out += Format(" The first %zu of the file's %zu languages; kestro-dump's outline lists every text in every one.",
                          languages.Shown.size(), languages.All);
        // Shown by the script while a language after the first is chosen.
        return out + "<span id=\"fallback-key\" hidden></span></p>";
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
        out_ << "<section id=\"overview\"><h2>Overview</h2>\n" << CreditsHtml(file_, decoder_) << "<table class=\"groups\"><thead><tr><th>#</th><th>Group</th>"
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
        // Only the listed problems are kept: a hostile file holds millions.
        std::vector<TGpiProblem> listed;
        const std::size_t count = CheckGpi(file_, [&](const TGpiProblem& problem) {
            if (listed.size() < MaxListedProblems) listed.push_back(problem);
        });
        out_ << Format("<div id=\"check\" class=\"check %s\" data-problems=\"%zu\"><b>kestro-dump --check:</b> ",
                       count == 0 ? "clean" : "problems", count);
        if (count == 0) out_ << "No problems found.";
        else out_ << Format("%zu problem%s found.", count, count == 1 ? "" : "s");
        if (count > 0) {
            // A long list of the same kind of problem stays folded until asked for.
            out_ << (count <= OpenProblemList ? "<details open>" : "<details>") << "<summary>the problems</summary><ul>";
            for (const auto& problem : listed)
                out_ << Format("<li><code>0x%08zX</code> ", problem.Offset) << EscapeHtml(problem.Text) << "</li>";
            if (count > MaxListedProblems)
                out_ << Format("<li>and %zu more (kestro-dump --check lists all)</li>", count - MaxListedProblems);
            out_ << "</ul></details>";
        }
        out_ << "</div></section>\n";
    }

    void GroupSection(std::size_t i) {
        out_ << Format("<section class=\"group\" id=\"group-%zu\" data-group=\"%zu\"><h2>Group %zu: ", i + 1, i, i + 1)
             << "<span class=\"group-name\">" << HtmlText(First(file_.Groups[i].Name)) << "</span> <small>" << Plural(summaries_[i].Points.size(), "point")
             << "</small></h2>\n<div class=\"map-tools\"><label><input type=\"checkbox\" class=\"show-areas\" checked> area boxes</label>"
                "<button type=\"button\" class=\"reset-view\">Reset view</button>"
                "<span class=\"hint\">wheel: zoom, drag: move, click: point details</span></div>\n"
                "<div class=\"map\"></div>\n<ul class=\"legend\"></ul></section>\n";
    }

    const TGpiFile& file_;
    std::ostream& out_;
    TTextDecoder decoder_;
    const TReportLanguages languages_;  // the switch's; none for a file of one language
    std::vector<TGroupSummary> summaries_;
};

}  // namespace

void WriteHtmlReport(const TGpiFile& file, const std::string& fileName, std::ostream& out) {
    TReport(file, out).Write(fileName);
}

}  // namespace kestro
