#include "pipeline/GroupPipeline.h"

#include <utility>

#include "gpi/FileFrame.h"
#include "platform/OutputFile.h"

namespace kestro {

TGroupPipeline::TGroupPipeline(TOutputFile& output, std::ostream& lines, std::ostream& messages,
                               TProgressLine* progress, TGroupReader reader, TNotWritten* notWritten,
                               TThreading threading)
    : output_(output),
      lines_(lines),
      messages_(messages),
      progress_(progress),
      reader_(std::move(reader)),
      notWritten_(notWritten),
      threading_(threading) {}

TGroupPipeline::~TGroupPipeline() = default;

TGroupPipeline::TGroupInFlight::~TGroupInFlight() {
    if (Builder.joinable()) Builder.join();
}

void TGroupPipeline::Add(const std::string& path) {
    // A group before that is done is shown and written first, so that this
    // one's turn has come and it can be shown as it is read.
    if (inFlight_ && inFlight_->Built.load(std::memory_order_acquire)) Complete();
    auto group = std::make_unique<TGroupInFlight>(lines_, messages_, progress_, notWritten_);
    TGroupOutput& reading = inFlight_ ? group->HeldOutput : group->Shown;
    TCaughtError readError;
    try {
        group->Tail = reader_(path, reading);
    } catch (...) {
        readError = TCaughtError::Current();
    }
    // The group before came first: it is shown and written, or its error
    // ends the run, before anything of this one.
    Complete();
    if (readError) {
        Show(*group);
        readError.Rethrow();
    }
    if (!group->Tail) {
        Show(*group);  // nothing to write for a group without waypoints
        return;
    }
    TGroupInFlight& building = *group;
    inFlight_ = std::move(group);
    if (threading_ == TThreading::OneThread) {
        // What the tree prints waits and shows as the threads' would.
        Build(building);
        Complete();
        return;
    }
    building.Builder = std::thread([&building] { Build(building); });
}

void TGroupPipeline::Build(TGroupInFlight& group) noexcept {
    try {
        group.Record = group.Tail(group.HeldOutput);
    } catch (...) {
        group.Error = TCaughtError::Current();
    }
    group.Tail = nullptr;  // the store goes with the thread that used it last
    group.Built.store(true, std::memory_order_release);
}

void TGroupPipeline::Finish() { Complete(); }

void TGroupPipeline::Show(TGroupInFlight& group) { group.Shown.Show(group.HeldText.Take()); }

void TGroupPipeline::Complete() {
    if (!inFlight_) return;
    const std::unique_ptr<TGroupInFlight> group = std::move(inFlight_);
    if (group->Builder.joinable()) group->Builder.join();
    Show(*group);
    if (group->Error) group->Error.Rethrow();
    GpiWriteBytes(output_, group->Record);
}

}  // namespace kestro
