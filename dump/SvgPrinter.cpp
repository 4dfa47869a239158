#include "dump/SvgPrinter.h"

#include <algorithm>
#include <cmath>

#include "diag/Exceptions.h"
#include "dump/TextDecoder.h"

namespace kestro {

namespace {

constexpr double DrawingSize = 1000;
constexpr double Margin = 10;
constexpr double MinimalSpan = 1e-6;  // degrees; keeps a one-point group drawable

struct TExtent {
    double South = HUGE_VAL, West = HUGE_VAL, North = -HUGE_VAL, East = -HUGE_VAL;
    void Add(double lat, double lon) {
        South = std::min(South, lat);
        North = std::max(North, lat);
        West = std::min(West, lon);
        East = std::max(East, lon);
    }
    bool Empty() const { return South > North; }
};

void Extend(TExtent& extent, const TGpiArea& area) {
    extent.Add(SemicirclesToDeg(area.South), SemicirclesToDeg(area.West));
    extent.Add(SemicirclesToDeg(area.North), SemicirclesToDeg(area.East));
    for (const auto& point : area.Points) extent.Add(SemicirclesToDeg(point.Lat), SemicirclesToDeg(point.Lon));
    for (const auto& sub : area.Areas) Extend(extent, sub);
}

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

class TSvg {
public:
    TSvg(const TGpiFile& file, std::ostream& out) : out_(out), decoder_(file.CodePage()) {}

    void Write(const TGpiGroup& group, std::size_t number) {
        TExtent extent;
        if (group.Root) Extend(extent, *group.Root);
        if (extent.Empty()) extent.Add(0, 0);
        west_ = extent.West;
        north_ = extent.North;
        const double latSpan = std::max(extent.North - extent.South, MinimalSpan);
        const double midLat = (extent.North + extent.South) / 2 * M_PI / 180;
        xFactor_ = std::max(std::cos(midLat), 0.05);
        const double lonSpan = std::max(extent.East - extent.West, MinimalSpan) * xFactor_;
        scale_ = DrawingSize / std::max(lonSpan, latSpan);
        const double width = lonSpan * scale_ + 2 * Margin, height = latSpan * scale_ + 2 * Margin;

        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        out_ << Format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.2f %.2f\">\n",
                       std::ceil(width), std::ceil(height), width, height);
        out_ << "<title>" << Format("Group %zu: ", number) << XmlText(Name(group.Name)) << "</title>\n";
        out_ << "<rect data-kind=\"background\" x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
        out_ << "<g data-kind=\"areas\">\n";
        if (group.Root) Areas(*group.Root);
        out_ << "</g>\n<g data-kind=\"points\">\n";
        if (group.Root) Points(*group.Root);
        out_ << "</g>\n</svg>\n";
    }

private:
    double X(std::int32_t lon) const { return Margin + (SemicirclesToDeg(lon) - west_) * xFactor_ * scale_; }
    double Y(std::int32_t lat) const { return Margin + (north_ - SemicirclesToDeg(lat)) * scale_; }

    std::u32string Name(const TGpiText& text) { return text.empty() ? std::u32string() : decoder_.Decode(text.front().Text); }

    void Areas(const TGpiArea& area) {
        const double x1 = X(area.West), x2 = X(area.East), y1 = Y(area.North), y2 = Y(area.South);
        out_ << Format("<rect data-kind=\"area\" data-depth=\"%d\" x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" "
                       "fill=\"none\" stroke=\"#3366cc\" stroke-width=\"1\"/>\n",
                       area.Depth, std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1), std::fabs(y2 - y1));
        for (const auto& sub : area.Areas) Areas(sub);
    }

    void Points(const TGpiArea& area) {
        for (const auto& point : area.Points) {
            const bool alert = point.Alert() != nullptr;
            // The title sits in a group of its own: simple renderers skip shapes that have children.
            out_ << "<g><title>" << XmlText(Name(point.Name)) << "</title>"
                 << Format("<circle data-kind=\"%s\" cx=\"%.2f\" cy=\"%.2f\" r=\"%s\" fill=\"%s\"/></g>\n",
                           alert ? "alert" : "point", X(point.Lon), Y(point.Lat), alert ? "4" : "2.5",
                           alert ? "#dd0000" : "#222222");
        }
        for (const auto& sub : area.Areas) Points(sub);
    }

    std::ostream& out_;
    TTextDecoder decoder_;
    double west_ = 0, north_ = 0, xFactor_ = 1, scale_ = 1;
};

}  // namespace

void WriteSvg(const TGpiFile& file, std::size_t groupIndex, std::ostream& out) {
    TSvg(file, out).Write(file.Groups.at(groupIndex), groupIndex + 1);
}

}  // namespace kestro
