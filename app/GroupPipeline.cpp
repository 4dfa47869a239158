#include "app/GroupPipeline.h"

#include "gpi/FileFrame.h"
#include "platform/OutputFile.h"

namespace kestro {

TGroupPipeline::TGroupPipeline(TOutputFile& output, std::ostream& out, std::ostream& err)
    : output_(output), out_(out), err_(err) {}

TGroupPipeline::~TGroupPipeline() = default;

TGroupPipeline::TGroupInFlight::~TGroupInFlight() {
    if (Builder.joinable()) Builder.join();
}

void TGroupPipeline::Add(const std::string& path) {
    auto group = std::make_unique<TGroupInFlight>();
    TCaughtError readError;
    try {
        BuildGroup(path, group->Lines.Out(),
                   [&](std::unique_ptr<TLoadedGroup> loaded) { group->Loaded = std::move(loaded); });
    } catch (...) {
        readError = TCaughtError::Current();
    }
    // The group before came first: it is shown and written, or its error
    // ends the run, before anything of this one.
    Complete();
    if (readError) {
        group->Lines.ShowOn(out_, err_);
        readError.Rethrow();
    }
    if (!group->Loaded) {
        group->Lines.ShowOn(out_, err_);  // nothing to write for a group without waypoints
        return;
    }
    TGroupInFlight& building = *group;
    inFlight_ = std::move(group);
    building.Builder = std::thread([&building] {
        try {
            building.Record = FinishGroup(*building.Loaded, building.Lines.Out());
        } catch (...) {
            building.Error = TCaughtError::Current();
        }
        building.Loaded.reset();  // the store goes with the thread that used it last
    });
}

void TGroupPipeline::Finish() { Complete(); }

void TGroupPipeline::Complete() {
    if (!inFlight_) return;
    const std::unique_ptr<TGroupInFlight> group = std::move(inFlight_);
    if (group->Builder.joinable()) group->Builder.join();
    group->Lines.ShowOn(out_, err_);
    if (group->Error) group->Error.Rethrow();
    GpiWriteBytes(output_, group->Record);
}

}  // namespace kestro
