#pragma once
// Where the reading of a group reports: its ordered progress lines (standard
// output), warnings about what was left out and notes about what comes from
// outside the source folder (standard error, each once per file and cause),
// and the terminal's progress line. The two streams may be buffers that the
// caller writes out in the groups' order.
#include <ostream>
#include <set>
#include <string>

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
    TGroupOutput(std::ostream& out, std::ostream& err, TProgressLine* progress = nullptr,
                 TStreams streams = TStreams::Direct);
    TGroupOutput(const TGroupOutput&) = delete;
    TGroupOutput& operator=(const TGroupOutput&) = delete;

    // The stream of the ordered lines, with the progress line erased.
    std::ostream& Lines();
    // "kestro: warning: FILE: TEXT", once per file and cause.
    void Warning(const std::string& file, const std::string& cause, const std::string& text);
    // "kestro: note: FILE links PATH, outside the source folder", once per file and path.
    void OutsideLink(const std::string& file, const std::string& path);
    // "kestro: note: FILE: TEXT", once per file and cause.
    void Note(const std::string& file, const std::string& cause, const std::string& text);
    // The terminal's progress line, or null.
    TProgressLine* Progress() const { return Progress_; }
    // Shows text kept back in writing order: lines, and warnings and notes
    // already told.
    void Show(const TOrderedOutput::TChunks& chunks);

private:
    void Tell(const std::string& key, const std::string& line);

    std::ostream& Out_;
    std::ostream& Err_;
    TProgressLine* Progress_;
    TProgressLine* Erased_;  // Progress_ for direct streams, else null
    std::set<std::string> Told_;
};

}  // namespace kestro
