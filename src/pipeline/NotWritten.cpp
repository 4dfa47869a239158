#include "pipeline/NotWritten.h"

#include "platform/TerminalText.h"

#include <algorithm>

namespace kestro {

namespace {

std::string Waypoints(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " waypoint" : " waypoints");
}

}  // namespace

void TNotWritten::Record(const std::string& cause, const std::string& file, std::int64_t count) {
    if (count <= 0) return;
    const std::lock_guard lock(mutex_);
    auto entry = std::find_if(causes_.begin(), causes_.end(), [&](const TCause& c) { return c.Name == cause; });
    if (entry == causes_.end()) entry = causes_.insert(causes_.end(), TCause{cause, 0, {}});
    AddTo(*entry, file, count);
}

void TNotWritten::RecordReplaced(const std::string& file, std::int64_t count) {
    if (count <= 0) return;
    const std::lock_guard lock(mutex_);
    AddTo(replaced_, file, count);
}

void TNotWritten::AddTo(TCause& entry, const std::string& file, std::int64_t count) {
    entry.Count += count;
    // Waypoints of one file come one after another: the last file is looked at first.
    const auto known = std::find_if(entry.Files.rbegin(), entry.Files.rend(),
                                    [&](const auto& f) { return f.first == file; });
    if (known == entry.Files.rend()) {
        entry.Files.emplace_back(file, count);
    } else {
        known->second += count;
    }
}

void TNotWritten::PrintSummary(std::ostream& err) const {
    translationNotes_.PrintSummary(err);
    const std::lock_guard lock(mutex_);
    std::int64_t total = 0;
    for (const auto& cause : causes_) total += cause.Count;
    PrintReplaced(err);
    if (total == 0) return;
    err << "kestro: " << Waypoints(total) << " not written:";
    for (std::size_t i = 0; i < causes_.size(); ++i)
        err << (i == 0 ? " " : ", ") << causes_[i].Count << ' ' << causes_[i].Name;
    err << '\n';
    for (const auto& cause : causes_) {
        err << "kestro:   " << cause.Name << ':';
        for (std::size_t i = 0; i < cause.Files.size(); ++i)
            err << (i == 0 ? " " : ", ") << TerminalText(cause.Files[i].first) << " (" << cause.Files[i].second << ')';
        err << '\n';
    }
    err << std::flush;
}

void TNotWritten::PrintReplaced(std::ostream& err) const {
    if (replaced_.Count == 0) return;
    err << "kestro: " << replaced_.Count << (replaced_.Count == 1 ? " character" : " characters")
        << " became \"?\" (not in the code page):";
    for (std::size_t i = 0; i < replaced_.Files.size(); ++i)
        err << (i == 0 ? " " : ", ") << TerminalText(replaced_.Files[i].first) << " (" << replaced_.Files[i].second << ')';
    err << '\n';
}

}  // namespace kestro
