#include "app/GroupPipeline.h"

#include "gpi/FileFrame.h"
#include "platform/OutputFile.h"

namespace kestro {

TGroupPipeline::TGroupPipeline(TOutputFile& output, std::ostream& out, std::ostream& err, TProgressLine* progress,
                               TNotWritten* notWritten)
    : output_(output), out_(out), err_(err), progress_(progress), notWritten_(notWritten) {}

TGroupPipeline::~TGroupPipeline() = default;

TGroupPipeline::TGroupInFlight::~TGroupInFlight() {
    if (Builder.joinable()) Builder.join();
}

void TGroupPipeline::Add(const std::string& path) {
    // A group before that is done is shown and written first, so that this
    // one's turn has come and it can be shown as it is read.
    if (inFlight_ && inFlight_->Built.load(std::memory_order_acquire)) Complete();
    auto group = std::make_unique<TGroupInFlight>(out_, err_, progress_, notWritten_);
    TGroupOutput& reading = inFlight_ ? group->Kept : group->Shown;
    TCaughtError readError;
    try {
        BuildGroup(path, reading,
                   [&](std::unique_ptr<TLoadedGroup> loaded) { group->Loaded = std::move(loaded); });
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
    if (!group->Loaded) {
        Show(*group);  // nothing to write for a group without waypoints
        return;
    }
    TGroupInFlight& building = *group;
    inFlight_ = std::move(group);
    building.Builder = std::thread([&building] {
        try {
            building.Record = FinishGroup(*building.Loaded, building.Kept);
        } catch (...) {
            building.Error = TCaughtError::Current();
        }
        building.Loaded.reset();  // the store goes with the thread that used it last
        building.Built.store(true, std::memory_order_release);
    });
}

void TGroupPipeline::Finish() { Complete(); }

void TGroupPipeline::Show(TGroupInFlight& group) { group.Shown.Show(group.Buffer.Take()); }

void TGroupPipeline::Complete() {
    if (!inFlight_) return;
    const std::unique_ptr<TGroupInFlight> group = std::move(inFlight_);
    if (group->Builder.joinable()) group->Builder.join();
    Show(*group);
    if (group->Error) group->Error.Rethrow();
    GpiWriteBytes(output_, group->Record);
}

}  // namespace kestro
