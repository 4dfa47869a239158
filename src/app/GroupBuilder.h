#pragma once
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "gpi/LangText.h"
#include "pipeline/GroupPipeline.h"
#include "waypoints/GroupLoader.h"
#include "platform/Bytes.h"

namespace kestro {

// A group read into its store, waiting for its area tree: made by the
// reading thread, then the tree thread's alone.
struct TLoadedGroup {
    std::int32_t MaxRegion = DefaultMaxRegion;  // of the run's settings
    std::string DisplayName;              // as on disk
    TGpiText Name;                        // in every language, in the output code page
    std::vector<TGpiText> CategoryNames;  // likewise
    TLoadedPoints Points;                 // the store, the box and the icons
};

// Takes a group once it is read, to have its tree and record built.
using TGroupFinisher = std::function<void(std::unique_ptr<TLoadedGroup> group)>;

// Reads one group source (a sub-folder path ending in "/", or a loose GPX
// file) into its store and hands it to `finish`; not called when none of
// its files held a waypoint. Its progress lines, warnings and notes go to
// output, which must outlive the group.
void BuildGroup(const TRunSettings& settings, const std::string& path, TGroupOutput& output,
                const TGroupFinisher& finish);
// The area tree and the group record of a group that has been read; may run
// on another thread than the reading did, once that has ended.
Bytes FinishGroup(TLoadedGroup& group, TGroupOutput& output);
// The two halves as the group pipeline runs them: BuildGroup here, and
// FinishGroup in the returned tail (empty when nothing is to be written).
TGroupTail ReadGroup(const TRunSettings& settings, const std::string& path, TGroupOutput& output);

}  // namespace kestro
