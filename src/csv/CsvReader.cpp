#include "csv/CsvReader.h"

#include <sstream>

#include "csv/CsvColumns.h"
#include "diag/Exceptions.h"
#include "csv/CsvTokenizer.h"
#include "csv/InputFileBuffer.h"
#include "waypoints/Translations.h"
#include "waypoints/WarningText.h"
#include "sources/NumberText.h"
#include "platform/FileRead.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

constexpr std::int32_t ProgressEveryLines = 1024;

const char* Plural(std::int64_t count, const char* one, const char* many) { return count == 1 ? one : many; }

// Why a coordinate's cell gives no number, or empty when it does.
std::string CoordinateProblem(const char* what, const std::string& field, char separator, const TCsvTextConverter& text,
                              double& value) {
    if (const auto number = ReadCsvNumber(field, separator)) {
        value = *number;
        return {};
    }
    if (field.empty()) return std::string(what) + " empty";
    return std::string(what) + " \"" + CutForWarning(text.ToUtf8(field)) + "\" is no number";
}

// The waypoint of a data line; the reason it gives none, else empty.
std::string FillWaypoint(const TCsvRecord& record, const TCsvLayout& layout, char separator,
                         const TCsvTextConverter& text, TWaypointFields& waypoint) {
    std::string latProblem = "latitude missing";
    std::string lonProblem = "longitude missing";
    const std::size_t columns = std::min(record.Fields.size(), layout.Columns.size());
    for (std::size_t i = 0; i < columns; ++i) {
        if (i < layout.Translated.size() && layout.Translated[i] && !record.Fields[i].empty())
            AddTranslation(waypoint, layout.Translated[i]->Place, layout.Translated[i]->Language,
                           text.Convert(record.Fields[i]));
        if (!layout.Columns[i]) continue;
        const std::string& field = record.Fields[i];
        switch (*layout.Columns[i]) {
            case TCsvField::Latitude:
                latProblem = CoordinateProblem("latitude", field, separator, text, waypoint.Point.Lat);
                break;
            case TCsvField::Longitude:
                lonProblem = CoordinateProblem("longitude", field, separator, text, waypoint.Point.Lon);
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
    if (!latProblem.empty() && !lonProblem.empty()) return latProblem + ", " + lonProblem;
    return latProblem.empty() ? lonProblem : latProblem;
}

std::string TooFewFields(const TCsvRecord& record, const TCsvLayout& layout) {
    return Format("%zu %s; %s", record.Fields.size(), Plural(static_cast<std::int64_t>(record.Fields.size()), "field", "fields"),
                  layout.Header ? Format("the coordinates' columns need %zu", layout.RequiredFields).c_str()
                                : "a list without a header needs longitude, latitude and name");
}

void LeaveOut(TCsvSummary& summary, std::int64_t line, std::string reason) {
    if (summary.LeftOut++ == 0) summary.FirstLeftOut = line;
    if (summary.LeftOutLines.size() < TCsvSummary::ListedLines) summary.LeftOutLines.push_back({line, std::move(reason)});
}

void NoteReadOtherwise(TCsvSummary& summary, const TCsvRecord& record) {
    std::string text;
    if (record.TakenBackQuoteLine != 0)
        text = Format("the quote opened on line %lld never closes: read as a plain character to the end of that line",
                      static_cast<long long>(record.TakenBackQuoteLine));
    if (record.Cut) {
        if (!text.empty()) text += "; ";
        text += Format("text beyond %zu bytes in a field (or %zu in the line) not read", TCsvTokenizer::MaxFieldBytes,
                       TCsvTokenizer::MaxRecordBytes);
    }
    if (text.empty()) return;
    const std::int64_t line = record.TakenBackQuoteLine != 0 ? record.TakenBackQuoteLine : record.Line;
    if (summary.ReadOtherwiseCount++ < static_cast<std::int64_t>(TCsvSummary::ListedLines))
        summary.ReadOtherwise.push_back({line, text});
}

TCsvSummary ReadCsvText(std::istream& in, const TCsvTextKind& kind, std::int32_t codePage, const TWaypointTaker& take,
                        const TReadProgress& progress) {
    TCsvSummary summary;
    const TCsvTextConverter text(kind.Encoding, codePage);
    SkipByteOrderMark(in);
    TCsvTokenizer tokenizer(in, kind.Separator);
    TCsvRecord record;
    if (!tokenizer.Next(record)) return summary;
    const TCsvLayout layout = CsvLayoutOf(record.Fields);
    summary.NoCoordinateColumns = layout.Header && !layout.HasCoordinates();
    if (layout.Header) {
        NoteReadOtherwise(summary, record);
        summary.ColumnsNotRead = record.DroppedFields;
        for (const auto& name : record.DroppedFieldTexts) summary.ColumnsNotReadNames.push_back(text.ToUtf8(name));
    }
    bool haveRecord = !layout.Header || tokenizer.Next(record);
    for (; haveRecord; haveRecord = tokenizer.Next(record)) {
        ++summary.DataLines;
        if (progress && summary.DataLines % ProgressEveryLines == 0) progress(tokenizer.BytesRead(), summary.DataLines);
        if (summary.NoCoordinateColumns) continue;
        NoteReadOtherwise(summary, record);
        if (record.Unterminated) {
            LeaveOut(summary, record.Line, "a quote opens and never closes");
            continue;
        }
        if (record.Fields.size() < layout.RequiredFields) {
            LeaveOut(summary, record.Line, TooFewFields(record, layout));
            continue;
        }
        TWaypointFields waypoint;
        std::string problem = FillWaypoint(record, layout, kind.Separator, text, waypoint);
        if (!problem.empty()) {
            LeaveOut(summary, record.Line, std::move(problem));
            continue;
        }
        waypoint.Line = record.Line;
        take(waypoint);
    }
    summary.Replaced = text.Replaced();
    summary.FirstReplaced = text.FirstReplaced();
    return summary;
}

}  // namespace

TCsvSummary ReadCsvWaypoints(std::istream& in, const TCsvTextKind& kind, std::int32_t codePage,
                             const TWaypointTaker& take, const TReadProgress& progress) {
    if (kind.Encoding != TCsvEncoding::Utf16LittleEndian && kind.Encoding != TCsvEncoding::Utf16BigEndian)
        return ReadCsvText(in, kind, codePage, take, progress);
    // Spreadsheets' "Unicode text": read as the UTF-8 it stands for.
    in.rdbuf()->sbumpc();
    in.rdbuf()->sbumpc();
    std::istringstream utf8(Utf16ToUtf8(in, kind.Encoding == TCsvEncoding::Utf16BigEndian));
    TCsvTextKind utf8Kind{TCsvEncoding::Utf8, ScanCsvText(utf8).Separator};
    utf8.clear();
    utf8.seekg(0);
    return ReadCsvText(utf8, utf8Kind, codePage, take, progress);
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
    ReportCsvSummary(summary, findings);
    findings.ReplacedCharacters(summary.Replaced, summary.FirstReplaced);
    return summary.DataLines;
}

void ReportCsvSummary(const TCsvSummary& summary, IFileFindings& findings) {
    if (summary.NoCoordinateColumns) findings.UnreadableLines(summary.DataLines);
    if (summary.LeftOut > 0) findings.UnreadableLines(summary.LeftOut);
    if (summary.ColumnsNotRead > 0) {
        std::string names;
        for (const auto& name : summary.ColumnsNotReadNames) names += (names.empty() ? "\"" : ", \"") + name + "\"";
        if (summary.ColumnsNotRead > static_cast<std::int64_t>(summary.ColumnsNotReadNames.size())) names += ", …";
        findings.Warning("csv columns not read",
                       Format("%lld %s past the %zuth not read: %s", static_cast<long long>(summary.ColumnsNotRead),
                              Plural(summary.ColumnsNotRead, "column", "columns"), TCsvTokenizer::MaxFields, names.c_str()));
    }
    if (summary.NoCoordinateColumns)
        findings.Warning("csv columns",
                       Format("no latitude and longitude columns in the header line: its %d %s not written",
                              summary.DataLines, summary.DataLines == 1 ? "point" : "points"));
    for (const auto& note : summary.ReadOtherwise)
        findings.Warning(Format("csv line %lld read", static_cast<long long>(note.Line)),
                       Format("line %lld: %s", static_cast<long long>(note.Line), note.Text.c_str()));
    if (const auto more = summary.ReadOtherwiseCount - static_cast<std::int64_t>(summary.ReadOtherwise.size()); more > 0)
        findings.Warning("csv lines read", Format("%lld more %s read otherwise than written", static_cast<long long>(more),
                                                      Plural(more, "line", "lines")));
    for (const auto& note : summary.LeftOutLines)
        findings.Warning(Format("csv line %lld", static_cast<long long>(note.Line)),
                       Format("line %lld left out: %s", static_cast<long long>(note.Line), note.Text.c_str()));
    if (const auto more = summary.LeftOut - static_cast<std::int64_t>(summary.LeftOutLines.size()); more > 0)
        findings.Warning("csv lines", Format("%lld more %s left out (%d in all)", static_cast<long long>(more),
                                                 Plural(more, "line", "lines"), summary.LeftOut));
}

}  // namespace kestro
