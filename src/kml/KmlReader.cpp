#include "kml/KmlReader.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "gpi/Bitmap.h"
#include "kml/KmlParser.h"
#include "kml/ZipArchive.h"
#include "platform/AsciiCase.h"
#include "platform/FileRead.h"
#include "sources/GroupSources.h"
#include "waypoints/WarningText.h"

namespace kestro {
namespace {

// The archive's document: the first ".kml" member at its root.
std::optional<std::string> RootDocument(const TZipArchive& archive) {
    for (const auto& name : archive.Names()) {
        if (name.find_first_of("/\\") != std::string::npos || name.size() < 4) continue;
        if (SameIgnoringAsciiCase(name.substr(name.size() - 4), ".kml")) return name;
    }
    return std::nullopt;
}

// A member's name from an href inside the archive, relative to the root
// where the document lies; none where it climbs out of the archive.
std::optional<std::string> MemberName(const std::string& href) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= href.size()) {
        const auto end = std::min(href.find_first_of("/\\", start), href.size());
        const std::string part = href.substr(start, end - start);
        if (part == "..") {
            if (parts.empty()) return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty()) return std::nullopt;
    std::string name;
    for (const auto& part : parts) name += (name.empty() ? "" : "/") + part;
    return name;
}

void TellNotKml(const std::string& path, IFileFindings& findings) {
    const Bytes start = TInputFile(path, TInputOptions{.FullPath = false}).ReadAt(0, FileStartLimit + 1);
    const std::string shown = FileStartForWarning(start);
    findings.Warning("not KML", shown.empty() ? "not a KML file: it is empty"
                                              : "not a KML file: it starts with \"" + shown + "\"");
}

// The pictures of an archive its styles name, each read once.
class TArchiveIcons {
public:
    TArchiveIcons(TZipArchive& archive, const std::string& path, IFileFindings& findings)
        : archive_(archive), path_(path), findings_(findings) {}

    void Give(const std::string& href, TWaypointFields& waypoint) {
        const std::optional<std::string> name = MemberName(href);
        const std::string shown = CutForWarning(name.value_or(href));
        auto known = read_.find(shown);
        if (known == read_.end()) {
            std::string problem = "not in the archive";
            std::optional<Bytes> content;
            // One byte more than an icon may have tells the picture is too big.
            if (name) content = archive_.Read(*name, MaxIconFileBytes + 1, problem);
            if (!content)
                findings_.Warning("icon " + shown, "icon " + shown + " inside the archive not used: " + problem);
            known = read_.emplace(shown, content ? std::make_shared<const Bytes>(std::move(*content)) : nullptr).first;
        }
        if (!known->second) return;
        waypoint.Icon = path_ + "/" + shown;
        waypoint.IconContent = known->second;
    }

    // Links that name a file inside the archive are taken from it, not
    // looked up beside it; the others stay links.
    void TakeLinkedFiles(TWaypointFields& waypoint) {
        if (members_.empty())
            for (const auto& name : archive_.Names()) members_.insert(name);
        std::vector<std::string> links;
        for (auto& link : waypoint.Links) {
            const std::optional<std::string> name =
                link.find("://") == std::string::npos ? MemberName(link) : std::nullopt;
            if (!name || !members_.contains(*name)) {
                links.push_back(std::move(link));
                continue;
            }
            std::string problem;
            std::optional<Bytes> content = archive_.Read(*name, MaxLinkedContentBytes, problem);
            const std::string shown = path_ + "/" + *name;
            if (content) waypoint.LinkedContents.push_back({shown, std::move(*content)});
            else findings_.Warning("link " + CutForWarning(shown), "link " + CutForWarning(shown) + " not used: " + problem);
        }
        waypoint.Links = std::move(links);
    }

private:
    TZipArchive& archive_;
    const std::string& path_;
    IFileFindings& findings_;
    std::map<std::string, std::shared_ptr<const Bytes>> read_;  // null: not usable, told once
    std::set<std::string> members_;                              // the archive's names, once a link asks
};

}  // namespace

std::int32_t ReadKmlWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                              IFileFindings& findings) {
    if (IsKmzFileName(path)) return ReadKmzWaypoints(path, take, progress, findings);
    // A style's icon is a path beside the file, found as links are.
    TKmlParser parser(take, findings, [](const std::string& href, TWaypointFields& waypoint) { waypoint.Icon = href; });
    std::int32_t points = 0;
    try {
        points = parser.Read([&path](IXmlDocument& document) { document.LoadFromFile(path); }, progress);
    } catch (...) {
        parser.TellNotes();
        throw;
    }
    if (!parser.AnyElement()) TellNotKml(path, findings);
    parser.TellNotes();
    return points;
}

std::int32_t ReadKmzWaypoints(const std::string& path, const TWaypointTaker& take, const TReadProgress& progress,
                              IFileFindings& findings, std::uint64_t documentLimit) {
    TZipArchive archive(path);
    if (!archive.IsOpen()) {
        findings.Warning("archive", "not read: " + archive.Problem());
        return 0;
    }
    const std::optional<std::string> document = RootDocument(archive);
    if (!document) {
        findings.Warning("archive", "not read: no KML document (\".kml\") at the root of the archive");
        return 0;
    }
    TArchiveIcons icons(archive, path, findings);
    TKmlParser parser(
        [&take, &icons](TWaypointFields& waypoint) {
            icons.TakeLinkedFiles(waypoint);
            take(waypoint);
        },
        findings, [&icons](const std::string& href, TWaypointFields& waypoint) { icons.Give(href, waypoint); });
    std::string problem;
    // The archive's bytes are read as the document unpacks; no progress of the file's bytes is known.
    (void)progress;
    try {
        archive.Stream(*document, documentLimit,
                       [&](std::istream& stream) {
                           parser.Read([&stream](IXmlDocument& xml) { xml.LoadFromStream(stream); }, {});
                       },
                       problem);
    } catch (...) {
        parser.TellNotes();
        throw;
    }
    if (!problem.empty()) findings.Warning("archive", CutForWarning(*document) + " inside the archive " + problem);
    parser.TellNotes();
    return parser.Points();
}

}  // namespace kestro
