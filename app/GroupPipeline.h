#pragma once
// A run's groups built two at a time: while one group's area tree is built
// on a second thread, the next group is read. Everything a user or a test
// can see comes as if the groups were built one after another: each group's
// lines wait in a buffer until it is the group's turn, its record is written
// in turn, and an error of one group leaves nothing of a later one printed
// or written.
#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "app/GroupBuilder.h"
#include "diag/CaughtError.h"
#include "platform/Bytes.h"
#include "gpx/GroupOutput.h"
#include "gpx/OrderedOutput.h"
#include "gpx/ProgressLine.h"

namespace kestro {

class TOutputFile;

class TGroupPipeline {
public:
    // Lines go to out; warnings and notes to err; the terminal's progress
    // line (or null) is erased before they are shown.
    TGroupPipeline(TOutputFile& output, std::ostream& out, std::ostream& err, TProgressLine* progress,
                   TNotWritten* notWritten = nullptr);
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
        TGroupInFlight(std::ostream& out, std::ostream& err, TProgressLine* progress, TNotWritten* notWritten)
            : Shown(out, err, progress, notWritten), Kept(Buffer.Out(), Buffer.Err(), progress, notWritten) {}
        ~TGroupInFlight();

        // While its turn has come the group is shown as it is read; else,
        // and always while its tree is built, what it shows waits.
        TOrderedOutput Buffer;
        TGroupOutput Shown;
        TGroupOutput Kept;
        std::unique_ptr<TLoadedGroup> Loaded;
        Bytes Record;
        TCaughtError Error;
        std::atomic<bool> Built{false};
        std::thread Builder;
    };

    // Shows the group in flight and writes its record, or raises its error.
    void Complete();
    // Shows what the group printed, in its order.
    void Show(TGroupInFlight& group);

    TOutputFile& output_;
    std::ostream& out_;
    std::ostream& err_;
    TProgressLine* progress_;
    TNotWritten* notWritten_;
    std::unique_ptr<TGroupInFlight> inFlight_;
};

}  // namespace kestro
