#pragma once
// Text that waits until the points read before it are stored: what reading a
// point brings about (lines, warnings, notes) is written to Output() and
// shown on the group's output once the store has taken every point read
// before it, so that it comes out as if each point were stored the moment it
// was read. Only the reading thread touches it.
#include <cstddef>
#include <deque>

#include "pipeline/GroupOutput.h"
#include "pipeline/OrderedOutput.h"

namespace kestro {

class TWaitingText {
public:
    // `shown` is where the text finally goes; it must outlive this.
    explicit TWaitingText(TGroupOutput& shown);
    TWaitingText(const TWaitingText&) = delete;
    TWaitingText& operator=(const TWaitingText&) = delete;

    // Where the reader writes what a point brings about.
    TGroupOutput& Output() { return output_; }
    // The group's output, for what is not about a point (the progress line).
    TGroupOutput& Shown() { return shown_; }
    // Starts a file: its points are counted from 0.
    void StartFile();
    // Text written so far waits for the points added before it; one point more is added.
    void PointAdded();
    // Shows the waiting text that no more than `stored` points came before.
    void ShowStored(std::size_t stored);
    // Text written since the last point waits for every point added; then
    // what `stored` allows is shown and the rest, read after the store failed,
    // is dropped.
    void EndFile(std::size_t stored);

private:
    struct TWaiting {
        std::size_t PointsBefore = 0;
        TOrderedOutput::TChunks Text;
    };
    void Seal();

    TGroupOutput& shown_;
    TOrderedOutput written_;  // what the reader wrote since the last point
    TGroupOutput output_;     // writes into written_
    std::size_t pointsAdded_ = 0;
    std::deque<TWaiting> waiting_;
};

}  // namespace kestro
