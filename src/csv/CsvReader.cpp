#include "csv/CsvReader.h"

#include "csv/CsvColumns.h"
#include "diag/Exceptions.h"
#include "csv/CsvTokenizer.h"
#include "csv/InputFileBuffer.h"
#include "sources/NumberText.h"
#include "platform/FileRead.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

constexpr std::int32_t ProgressEveryLines = 1024;

// The waypoint of a data line, or none when its coordinates are no numbers.
bool FillWaypoint(const TCsvRecord& record, const TCsvLayout& layout, const TCsvTextConverter& text,
                  TWaypointFields& waypoint) {
    bool lat = false;
    bool lon = false;
    const std::size_t columns = std::min(record.Fields.size(), layout.Columns.size());
    for (std::size_t i = 0; i < columns; ++i) {
        if (i < layout.Translated.size() && layout.Translated[i] && !record.Fields[i].empty())
            waypoint.Translations.push_back(
                {layout.Translated[i]->Language, layout.Translated[i]->Field, text.Convert(record.Fields[i])});
        if (!layout.Columns[i]) continue;
        const std::string& field = record.Fields[i];
        switch (*layout.Columns[i]) {
            case TCsvField::Latitude:
                if (const auto value = ReadDotNumber(field)) waypoint.Point.Lat = *value, lat = true;
                break;
            case TCsvField::Longitude:
                if (const auto value = ReadDotNumber(field)) waypoint.Point.Lon = *value, lon = true;
                break;
            case TCsvField::Name: waypoint.Point.Name = text.Convert(field); break;
            case TCsvField::Comment: waypoint.Point.Comment = text.Convert(field); break;
            case TCsvField::Description: waypoint.Point.Description = text.Convert(field); break;
            case TCsvField::Street: waypoint.Point.Street = text.Convert(field); break;
            case TCsvField::City: waypoint.Point.City = text.Convert(field); break;
            case TCsvField::State: waypoint.Point.State = text.Convert(field); break;
            case TCsvField::Country: waypoint.Point.Country = text.Convert(field); break;
            case TCsvField::PostalCode: waypoint.Point.PostalCode = text.Convert(field); break;
            case TCsvField::Phone: waypoint.Point.Phone = text.Convert(field); break;
            case TCsvField::Fax: waypoint.Point.Fax = text.Convert(field); break;
            case TCsvField::Email: waypoint.Point.Email = text.Convert(field); break;
            case TCsvField::Url: waypoint.Point.Url = text.Convert(field); break;
            // An empty cell is no value, not a wrong one.
            case TCsvField::Proximity:
                if (!field.empty()) waypoint.Proximity = text.Convert(field);
                break;
            case TCsvField::Speed:
                if (!field.empty()) waypoint.Speed = text.Convert(field);
                break;
            case TCsvField::Link:
                if (!field.empty()) waypoint.Links.push_back(text.Convert(field));
                break;
        }
    }
    return lat && lon;
}

}  // namespace

TCsvSummary ReadCsvWaypoints(std::istream& in, const TCsvTextKind& kind, std::int32_t codePage,
                             const TWaypointTaker& take, const TReadProgress& progress) {
    TCsvSummary summary;
    const TCsvTextConverter text(kind.Encoding, codePage);
    SkipByteOrderMark(in);
    TCsvTokenizer tokenizer(in, kind.Separator);
    TCsvRecord record;
    if (!tokenizer.Next(record)) return summary;
    const TCsvLayout layout = CsvLayoutOf(record.Fields);
    summary.NoCoordinateColumns = layout.Header && !layout.HasCoordinates();
    bool haveRecord = !layout.Header || tokenizer.Next(record);
    for (; haveRecord; haveRecord = tokenizer.Next(record)) {
        ++summary.DataLines;
        if (progress && summary.DataLines % ProgressEveryLines == 0) progress(tokenizer.BytesRead(), summary.DataLines);
        if (summary.NoCoordinateColumns) continue;
        TWaypointFields waypoint;
        if (record.Unterminated || record.Fields.size() < layout.RequiredFields ||
            !FillWaypoint(record, layout, text, waypoint)) {
            if (summary.LeftOut++ == 0) summary.FirstLeftOut = record.Line;
            continue;
        }
        take(waypoint);
    }
    return summary;
}

std::int32_t ReadCsvFileWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                                  IFileFindings& findings) {
    const TInputFile file(path);
    TCsvTextKind kind;
    {
        TInputFileBuffer buffer(file);
        std::istream in(&buffer);
        kind = ScanCsvText(in);
    }
    if (kind.Encoding == TCsvEncoding::NotText) {
        findings.Warning("csv text", "not read: no text (a NUL byte in its first 4 KiB)");
        return 0;
    }
    if (kind.Encoding == TCsvEncoding::Windows1252) findings.Warning("csv encoding", "text is not UTF-8: read as Windows-1252");
    TInputFileBuffer buffer(file);
    std::istream in(&buffer);
    const TCsvSummary summary = ReadCsvWaypoints(in, kind, XmlCodePage, take, progress);
    if (summary.NoCoordinateColumns) findings.UnreadableLines(summary.DataLines);
    if (summary.LeftOut > 0) findings.UnreadableLines(summary.LeftOut);
    if (summary.NoCoordinateColumns)
        findings.Warning("csv columns", Format("no latitude and longitude columns in the header line: its %d %s not written",
                                               summary.DataLines, summary.DataLines == 1 ? "point" : "points"));
    if (summary.LeftOut > 0)
        findings.Warning("csv lines", Format("%d %s left out (coordinates no numbers, or too few fields); the first is line %lld",
                                             summary.LeftOut, summary.LeftOut == 1 ? "line" : "lines",
                                             static_cast<long long>(summary.FirstLeftOut)));
    return summary.DataLines;
}

}  // namespace kestro
