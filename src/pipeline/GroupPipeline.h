#pragma once
// A run's groups built two at a time: while one group's area tree is built
// on a second thread, the next group is read. Everything a user or a test
// can see comes as if the groups were built one after another: each group's
// lines wait in a buffer until it is the group's turn, its record is written
// in turn, and an error of one group leaves nothing of a later one printed
// or written.
#include <atomic>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "diag/CaughtError.h"
#include "pipeline/GroupOutput.h"
#include "pipeline/OrderedOutput.h"
#include "pipeline/ProgressLine.h"
#include "pipeline/Threading.h"
#include "platform/Bytes.h"

namespace kestro {

class TOutputFile;

// The second half of a group, run on the area-tree thread: builds the area
// tree and returns the group record, reporting to `output`.
using TGroupTail = std::function<Bytes(TGroupOutput& output)>;
// The first half, run on the thread that calls Add: reads the group at
// `path`, reporting to `output`; returns its second half, or an empty
// function when the group has nothing to write.
using TGroupReader = std::function<TGroupTail(const std::string& path, TGroupOutput& output)>;

class TGroupPipeline {
public:
    // Lines go to `lines`; warnings and notes to `messages`; the terminal's
    // progress line (or null) is erased before they are shown.
    // `notWritten` (or null) records the waypoints the groups leave out.
    // With OneThread each group's tree is built right after it is read, on
    // the same thread.
    TGroupPipeline(TOutputFile& output, std::ostream& lines, std::ostream& messages, TProgressLine* progress,
                   TGroupReader reader, TNotWritten* notWritten = nullptr, TThreading threading = BuildThreading());
    ~TGroupPipeline();
    TGroupPipeline(const TGroupPipeline&) = delete;
    TGroupPipeline& operator=(const TGroupPipeline&) = delete;

    // Reads the group on this thread, then has its tree built on another.
    void Add(const std::string& path);
    // Shows and writes the last group.
    void Finish();

private:
    // A group whose area tree is being built; waited for on every way out.
    struct TGroupInFlight {
        TGroupInFlight(std::ostream& lines, std::ostream& messages, TProgressLine* progress, TNotWritten* notWritten)
            : Shown(lines, messages, progress, TGroupOutput::TStreams::Direct, notWritten),
              HeldOutput(HeldText.Out(), HeldText.Err(), progress, TGroupOutput::TStreams::Buffered, notWritten) {}
        ~TGroupInFlight();

        // While its turn has come the group is shown as it is read; else,
        // and always while its tree is built, what it shows waits.
        TOrderedOutput HeldText;     // both threads, one after the other: the thread join orders them
        TGroupOutput Shown;          // reading thread only
        TGroupOutput HeldOutput;     // writes into HeldText: reading thread, then the area-tree thread
        TGroupTail Tail;             // made by the reading thread, run and emptied by the area-tree thread
        Bytes Record;                // area-tree thread, read by the reading thread after the join
        TCaughtError Error;          // likewise
        std::atomic<bool> Built{false};  // set by the area-tree thread as its last step, read by the reading thread
        std::thread Builder;         // the area-tree thread; joined by the reading thread
    };

    // Runs the group's second half, keeping its record or its error.
    static void Build(TGroupInFlight& group) noexcept;
    // Shows the group in flight and writes its record, or raises its error.
    void Complete();
    // Shows what the group printed, in its order.
    void Show(TGroupInFlight& group);

    // All below: the reading thread only.
    TOutputFile& output_;
    std::ostream& lines_;
    std::ostream& messages_;
    TProgressLine* progress_;
    TGroupReader reader_;
    TNotWritten* notWritten_;  // recorded into by the reading thread
    TThreading threading_;
    std::unique_ptr<TGroupInFlight> inFlight_;
};

}  // namespace kestro
