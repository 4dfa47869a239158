#include "dump/SvgPrinter.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "diag/Exceptions.h"
#include "dump/GroupSummary.h"
#include "gpi/TextDecoder.h"

namespace kestro {

namespace {

constexpr double PlotSize = 1000;  // the longer side of the plot
constexpr double Left = 70, Right = 24, Top = 40, Bottom = 34;
constexpr double MarginShare = 0.05;  // of the span on every side, so nothing sits on the frame
constexpr double MinimalSpan = 1e-4;  // degrees; keeps a one-point group drawable
constexpr double DensityCell = 4;
constexpr double LegendRow = 22;

// XML 1.0 text: markup characters as entities, characters XML cannot hold as U+FFFD.
std::string XmlText(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || IsUndecodedByte(c) || c == 0xFFFE || c == 0xFFFF)
            AppendUtf8(out, 0xFFFD);
        else AppendUtf8(out, c);
    }
    return out;
}

// A tick step of 1, 2 or 5 times a power of ten giving about `count` ticks over `span`.
double TickStep(double span, double count) {
    const double raw = span / count, power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * power;
}

std::string TickLabel(double value, double step, const char* positive, const char* negative) {
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 7);
    std::string text = Format("%.*f", decimals, std::fabs(value));
    const bool zero = std::strtod(text.c_str(), nullptr) == 0;
    return text + "\xC2\xB0" + (zero ? "" : value > 0 ? positive : negative);
}

class TSvg {
public:
    TSvg(const TGpiFile& file, std::ostream& out) : out_(out), decoder_(file.CodePage()) {}

    void Write(const TGpiGroup& group, std::size_t number) {
        const TGroupSummary summary = SummarizeGroup(group);
        const TGroupExtent& e = summary.Extent;
        const double latSpan = std::max(e.North - e.South, MinimalSpan);
        const double midLat = (e.North + e.South) / 2 * M_PI / 180;
        xFactor_ = std::max(std::cos(midLat), 0.05);
        const double lonSpan = std::max(e.East - e.West, MinimalSpan / xFactor_);
        west_ = (e.West + e.East) / 2 - lonSpan * (0.5 + MarginShare);
        north_ = (e.North + e.South) / 2 + latSpan * (0.5 + MarginShare);
        const double width = lonSpan * (1 + 2 * MarginShare) * xFactor_, height = latSpan * (1 + 2 * MarginShare);
        scale_ = PlotSize / std::max(width, height);
        plotWidth_ = width * scale_;
        plotHeight_ = height * scale_;
        const bool density = summary.Points.size() > SvgDensityLimit;
        const std::size_t legendItems = group.Categories.size() + (summary.Uncategorised > 0 ? 1 : 0) + (summary.Alerts > 0 ? 1 : 0);
        const std::size_t legendRows = density ? 1 : (legendItems + 2) / 3;
        const double totalWidth = Left + plotWidth_ + Right;
        const double totalHeight = Top + plotHeight_ + Bottom + static_cast<double>(legendRows) * LegendRow + 8;

        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        out_ << Format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.2f %.2f\" "
                       "font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"12\">\n",
                       std::ceil(totalWidth), std::ceil(totalHeight), totalWidth, totalHeight);
        const std::string name = XmlText(Name(group.Name));
        out_ << "<title>" << Format("Group %zu: ", number) << name << "</title>\n";
        out_ << "<rect data-kind=\"background\" x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
        out_ << Format("<text x=\"%.0f\" y=\"24\" font-size=\"16\" font-weight=\"bold\" fill=\"#1d2430\">Group %zu: ", Left, number)
             << name << Format(" (%zu point%s)</text>\n", summary.Points.size(), summary.Points.size() == 1 ? "" : "s");
        Ticks();
        out_ << "<g data-kind=\"areas\">\n";
        const char* areaStroke = summary.Areas.size() > 300 ? "#9db4dd" : "#3366cc";
        for (const TGpiArea* area : summary.Areas) Area(*area, areaStroke);
        out_ << "</g>\n<g data-kind=\"points\">\n";
        const std::size_t most = density ? Density(summary) : 0;
        if (!density) Points(summary);
        out_ << "</g>\n";
        Legend(group, summary, density, most);
        out_ << "</svg>\n";
    }

private:
    double X(double lon) const { return Left + (lon - west_) * xFactor_ * scale_; }
    double Y(double lat) const { return Top + (north_ - lat) * scale_; }
    double X(std::int32_t lon) const { return X(SemicirclesToDeg(lon)); }
    double Y(std::int32_t lat) const { return Y(SemicirclesToDeg(lat)); }

    std::u32string Name(const TGpiText& text) { return text.empty() ? std::u32string() : decoder_.Decode(text.front().Text); }

    void Ticks() {
        const double east = west_ + plotWidth_ / scale_ / xFactor_, south = north_ - plotHeight_ / scale_;
        const double latStep = TickStep(north_ - south, 8), lonStep = TickStep(east - west_, std::max(3.0, plotWidth_ / 110));
        out_ << "<g data-kind=\"ticks\" stroke=\"#e3e7ed\" stroke-width=\"1\">\n";
        // Counted in whole steps: adding up a fractional step would drift.
        for (auto k = static_cast<long>(std::ceil(south / latStep)); static_cast<double>(k) * latStep <= north_; ++k) {
            const double lat = static_cast<double>(k) * latStep;
            out_ << Format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"/>", Left, Y(lat), Left + plotWidth_, Y(lat))
                 << Format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"end\" stroke=\"none\" fill=\"#5b6575\">", Left - 6,
                           Y(lat) + 4)
                 << TickLabel(lat, latStep, "N", "S") << "</text>\n";
        }
        for (auto k = static_cast<long>(std::ceil(west_ / lonStep)); static_cast<double>(k) * lonStep <= east; ++k) {
            const double lon = static_cast<double>(k) * lonStep;
            out_ << Format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"/>", X(lon), Top, X(lon), Top + plotHeight_)
                 << Format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"middle\" stroke=\"none\" fill=\"#5b6575\">", X(lon),
                           Top + plotHeight_ + 18)
                 << TickLabel(lon, lonStep, "E", "W") << "</text>\n";
        }
        out_ << Format("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"none\" stroke=\"#b9c0ca\"/>\n</g>\n", Left,
                       Top, plotWidth_, plotHeight_);
    }

    void Area(const TGpiArea& area, const char* stroke) {
        const double x1 = X(area.West), x2 = X(area.East), y1 = Y(area.North), y2 = Y(area.South);
        out_ << Format("<rect data-kind=\"area\" data-depth=\"%d\" x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" "
                       "fill=\"none\" stroke=\"%s\" stroke-width=\"%s\"/>\n",
                       area.Depth, std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1), std::fabs(y2 - y1), stroke,
                       area.Depth == 0 ? "1.2" : "0.7");
    }

    void Points(const TGroupSummary& summary) {
        // Dots shrink as points grow in number: 4 pixels across a few, 1.5 for thousands.
        const double radius = std::clamp(5.5 - 1.1 * std::log10(static_cast<double>(std::max<std::size_t>(summary.Points.size(), 1))), 1.5, 4.0);
        for (std::size_t i = 0; i < summary.Points.size(); ++i) {
            const TGpiPoint& point = *summary.Points[i];
            const bool alert = point.Alert() != nullptr;
            // The title sits in a group of its own: simple renderers skip shapes that have children.
            out_ << "<g><title>" << XmlText(Name(point.Name)) << "</title>"
                 << Format("<circle data-kind=\"%s\" cx=\"%.2f\" cy=\"%.2f\" r=\"%.1f\" fill=\"%s\"%s/></g>\n",
                           alert ? "alert" : "point", X(point.Lon), Y(point.Lat), radius,
                           CategoryColour(summary.PointCategory[i]).c_str(),
                           alert ? " stroke=\"#d01c1c\" stroke-width=\"1.5\"" : "");
        }
    }

    // Many points as a count per cell: darker cells hold more points. Returns the most in one cell.
    std::size_t Density(const TGroupSummary& summary) {
        struct TCell {
            std::size_t Points = 0, Alerts = 0;
        };
        std::map<std::pair<long, long>, TCell> cells;
        std::size_t most = 1;
        for (const TGpiPoint* point : summary.Points) {
            const auto key = std::make_pair(std::lround(std::floor((X(point->Lon) - Left) / DensityCell)),
                                            std::lround(std::floor((Y(point->Lat) - Top) / DensityCell)));
            TCell& cell = cells[key];
            ++cell.Points;
            if (point->Alert() != nullptr) ++cell.Alerts;
            most = std::max(most, cell.Points);
        }
        for (const auto& [key, cell] : cells) {
            const double share = std::log1p(static_cast<double>(cell.Points)) / std::log1p(static_cast<double>(most));
            out_ << Format("<rect data-kind=\"density\" data-count=\"%zu\" data-alerts=\"%zu\" x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" "
                           "height=\"%.0f\" fill=\"#1f4f9f\" fill-opacity=\"%.2f\"/>\n",
                           cell.Points, cell.Alerts, Left + static_cast<double>(key.first) * DensityCell,
                           Top + static_cast<double>(key.second) * DensityCell, DensityCell, DensityCell, 0.15 + 0.85 * share);
        }
        return most;
    }

    void Legend(const TGpiGroup& group, const TGroupSummary& summary, bool density, std::size_t most) {
        const double top = Top + plotHeight_ + Bottom;
        out_ << "<g data-kind=\"legend\">\n";
        if (density) {
            out_ << Format("<rect x=\"%.0f\" y=\"%.0f\" width=\"10\" height=\"10\" fill=\"#1f4f9f\"/>", Left, top + 3)
                 << Format("<text x=\"%.0f\" y=\"%.0f\" fill=\"#1d2430\">%zu points (%zu with an alert) as points per "
                           "%.0f-pixel cell: the darker, the more (up to %zu)</text>\n",
                           Left + 16, top + 12, summary.Points.size(), summary.Alerts, DensityCell, most);
            out_ << "</g>\n";
            return;
        }
        std::size_t item = 0;
        auto entry = [&](const std::string& swatch, const std::string& text, std::size_t count) {
            const double x = Left + static_cast<double>(item % 3) * 300, y = top + static_cast<double>(item / 3) * LegendRow;
            out_ << Format("<circle cx=\"%.0f\" cy=\"%.0f\" r=\"5\" %s/>", x + 5, y + 8, swatch.c_str())
                 << Format("<text x=\"%.0f\" y=\"%.0f\" fill=\"#1d2430\">", x + 16, y + 12) << text << Format(" (%zu)</text>\n", count);
            ++item;
        };
        for (std::size_t c = 0; c < group.Categories.size(); ++c)
            entry("fill=\"" + CategoryColour(static_cast<int>(c)) + "\"", XmlText(Name(group.Categories[c].Name)),
                  summary.CategoryCounts[c]);
        if (summary.Uncategorised > 0)
            entry("fill=\"" + CategoryColour(NoCategory) + "\"", group.Categories.empty() ? "points" : "no category",
                  summary.Uncategorised);
        if (summary.Alerts > 0) entry("fill=\"#ffffff\" stroke=\"#d01c1c\" stroke-width=\"1.5\"", "with an alert", summary.Alerts);
        out_ << "</g>\n";
    }

    std::ostream& out_;
    TTextDecoder decoder_;
    double west_ = 0, north_ = 0, xFactor_ = 1, scale_ = 1, plotWidth_ = 0, plotHeight_ = 0;
};

}  // namespace

void WriteSvg(const TGpiFile& file, std::size_t groupIndex, std::ostream& out) {
    TSvg(file, out).Write(file.Groups.at(groupIndex), groupIndex + 1);
}

}  // namespace kestro
