#include <gtest/gtest.h>

#include <sstream>

#include "dump/JsonPrinter.h"
#include "dump/OutlinePrinter.h"
#include "dump/SvgPrinter.h"
#include "gpi/GpiReader.h"
#include "report/HtmlReport.h"
#include "support/GpiTestFiles.h"
#include "support/TestDocuments.h"

namespace kestro {

// Whatever the damage, every printer finishes and the JSON and SVG stay well-formed.
TEST(DumpPrinters, DamagedFilesStillPrintWellFormed) {
    test::TTestGroup g;
    g.Categories = {"c"};
    g.Bitmaps = {test::TTestBitmap{4, 4, 16}};
    g.Points = test::SpreadPoints(30, -1, -1, 1, 1, 11);
    g.Points[0].Category = 0;
    g.Points[1].Bitmap = 0;
    g.Points[2].AlertSpeed = 20;
    g.Points[3].Images = {"img"};
    g.Points[4].City = "x\x81y";
    g.Points[5].Comment = "<&>";
    g.MaxRegion = 6;
    const Bytes good = test::TestGpiFile({g});
    std::vector<Bytes> damaged;
    for (std::size_t size = 14; size < good.size(); size += 3) damaged.push_back(good.substr(0, size));
    for (std::size_t at = 14; at < good.size(); ++at)
        for (char value : {'\x00', '\xFF'}) {
            damaged.push_back(good);
            damaged.back()[at] = value;
        }
    const TDumpOptions options;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const TGpiFile file = ParseGpi(damaged[i]);
        std::ostringstream outline, json;
        PrintOutline(file, options, outline);
        PrintJson(file, options, json);
        EXPECT_NO_THROW(test::ParseJson(json.str())) << i;
        for (std::size_t group = 0; group < file.Groups.size(); ++group) {
            std::ostringstream svg;
            WriteSvg(file, group, svg);
            EXPECT_NO_THROW(test::ParseXmlElements(svg.str())) << i;
        }
        std::ostringstream html;
        WriteHtmlReport(file, "damaged.gpi", html);
        EXPECT_NE(html.str().find("</html>"), std::string::npos) << i;
    }
}

// Up to the limit every point is a circle; above it the cells' counts add up to every point and alert.
TEST(DumpPrinters, SvgDrawsManyPointsAsDensity) {
    for (const std::size_t count : {SvgDensityLimit, SvgDensityLimit + 1}) {
        test::TTestGroup g;
        g.Points = test::SpreadPoints(static_cast<int>(count), 40, 0, 50, 20, 5);
        for (std::size_t i = 0; i < count; i += 400) g.Points[i].AlertDistance = 100;
        std::ostringstream svg;
        WriteSvg(ParseGpi(test::TestGpiFile({g})), 0, svg);
        std::size_t circles = 0, alerts = 0, counted = 0, cellAlerts = 0;
        for (const auto& e : test::ParseXmlElements(svg.str())) {
            const auto kind = e.Attributes.find("data-kind");
            if (kind == e.Attributes.end()) continue;
            if (e.Name == "circle") ++circles;
            if (e.Name == "circle" && kind->second == "alert") ++alerts;
            if (kind->second == "density") {
                counted += std::stoul(e.Attributes.at("data-count"));
                cellAlerts += std::stoul(e.Attributes.at("data-alerts"));
            }
        }
        const bool density = count > SvgDensityLimit;
        EXPECT_EQ(circles, density ? 0 : count) << count;
        EXPECT_EQ(counted, density ? count : 0) << count;
        EXPECT_EQ(density ? cellAlerts : alerts, (count + 399) / 400) << count;
    }
}

}  // namespace kestro
