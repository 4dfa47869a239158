#pragma once
// Where the reading of a group reports: its ordered progress lines (standard
// output), warnings about what was left out and notes about what comes from
// outside the source folder (standard error, each once per file and cause),
// and the terminal's progress line. The two streams may be buffers that the
// caller writes out in the groups' order.
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>

#include "pipeline/NotWritten.h"
#include "pipeline/OrderedOutput.h"
#include "pipeline/ProgressLine.h"

namespace kestro {

class TGroupOutput {
public:
    // Whether the two streams are the program's own or buffers shown later.
    enum class TStreams { Direct, Buffered };
    // `progress` is the terminal's line (or null) that the reading draws. It
    // is erased before text reaches direct streams; buffered streams leave
    // it alone, so that only the thread that draws it erases it.
    // `notWritten` (or null) records the waypoints left out.
    TGroupOutput(std::ostream& out, std::ostream& err, TProgressLine* progress = nullptr,
                 TStreams streams = TStreams::Direct, TNotWritten* notWritten = nullptr);
    TGroupOutput(const TGroupOutput&) = delete;
    TGroupOutput& operator=(const TGroupOutput&) = delete;

    // The stream of the ordered lines, with the progress line erased.
    std::ostream& Lines();
    // "kestro: warning: FILE: TEXT", once per file and cause; FinishFile
    // tells how many more there were.
    void Warning(const std::string& file, const std::string& cause, const std::string& text);
    // "kestro: warning: FILE is not a GPX file: it starts with "START"", or
    // "...: it is empty" for an empty start; START as a warning shows it.
    void NotGpx(const std::string& file, const std::string& start);
    // After the last waypoint of file: "kestro: warning: FILE: "CAUSE"
    // warning repeated for N more waypoints" for each cause warned more than once.
    void FinishFile(const std::string& file);
    // A waypoint of file was not written, for cause (TNotWritten's causes);
    // the one call every reader makes for a waypoint it leaves out.
    void NotWritten(const std::string& file, const char* cause, std::int64_t count = 1);
    void CountWritten();
    TNotWritten* NotWrittenRecord() const { return NotWritten_; }
    // "kestro: note: FILE links PATH, outside the source folder", once per file and path.
    void OutsideLink(const std::string& file, const std::string& path);
    // "kestro: note: FILE: TEXT", once per file and cause.
    void Note(const std::string& file, const std::string& cause, const std::string& text);
    // The note about file's texts (or a group's names) without a translation,
    // `missing` of them by language: shown for the first few of a run,
    // then counted for one line at its end.
    void TranslationNote(const std::string& file, TTranslationNotes::TKind kind, const std::string& text,
                         const TLanguageCounts& missing);
    // The terminal's progress line, or null.
    TProgressLine* Progress() const { return Progress_; }
    // Shows text kept back in writing order: lines, and warnings and notes
    // already told.
    void Show(const TOrderedOutput::TChunks& chunks);

private:
    // Shows line unless key was told before; false then.
    bool Tell(const std::string& key, const std::string& line);

    std::ostream& Out_;
    std::ostream& Err_;
    TProgressLine* Progress_;
    TProgressLine* Erased_;  // Progress_ for direct streams, else null
    TNotWritten* NotWritten_;
    std::set<std::string> Told_;
    std::map<std::pair<std::string, std::string>, std::int64_t> Repeated_;  // by file and cause
};

}  // namespace kestro
