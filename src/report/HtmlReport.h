#pragma once
// The HTML report of a GPI file: one self-contained page (no network) with an
// overview, a zoomable map per group, a filterable table of all points and
// every field of the point chosen, icons and photos embedded as data URIs.
#include <ostream>
#include <string>

#include "gpi/GpiReader.h"

namespace kestro {

// `fileName` is the name the page shows.
void WriteHtmlReport(const TGpiFile& file, const std::string& fileName, std::ostream& out);

// The page's <style> and <script> elements (report/HtmlReportPage.html, compiled in).
extern const char* const HtmlReportPage;

}  // namespace kestro
