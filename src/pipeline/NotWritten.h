#pragma once
// The one record of waypoints that were read but not written, by cause and
// by the file they came from, for the summary at the end of a run; the
// count of those written, to tell a run that wrote none; and the notes on
// missing translations that wait for that summary.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/TranslationNotes.h"

namespace kestro {

class TNotWritten {
public:
    // Causes as the summary names them.
    static constexpr const char* NoUsableCoordinates = "without usable coordinates or at 0, 0";
    static constexpr const char* OutsideTheMap = "outside the map";
    static constexpr const char* UnreadableCsvLines = "in CSV lines that could not be read";

    // `count` waypoints of `file` were not written for `cause`. Safe from any thread.
    void Record(const std::string& cause, const std::string& file, std::int64_t count = 1);
    // `count` characters of `file` (or of a group or category name) became "?". Safe from any thread.
    void RecordReplaced(const std::string& file, std::int64_t count);
    void CountWritten() noexcept { written_.fetch_add(1, std::memory_order_relaxed); }
    std::int64_t Written() const noexcept { return written_.load(std::memory_order_relaxed); }

    TTranslationNotes& TranslationNotes() noexcept { return translationNotes_; }

    // The summary of the notes on missing translations; when anything was
    // left out: "kestro: N waypoints not written: " the
    // count of each cause, then per cause the files with their counts, in the
    // order they were met; then "kestro: N characters became "?"" with the files.
    void PrintSummary(std::ostream& err) const;

private:
    struct TCause {
        std::string Name;
        std::int64_t Count = 0;
        std::vector<std::pair<std::string, std::int64_t>> Files;
    };
    // Under mutex_.
    static void AddTo(TCause& entry, const std::string& file, std::int64_t count);
    void PrintReplaced(std::ostream& err) const;

    mutable std::mutex mutex_;
    std::vector<TCause> causes_;
    TCause replaced_;  // characters, not waypoints
    std::atomic<std::int64_t> written_{0};
    TTranslationNotes translationNotes_;  // safe from any thread
};

}  // namespace kestro
