#include "diag/ThrowHistory.h"
#include "diag/ThrowTracking.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace kestro {

namespace {

struct TThrowRecord {
    const void* Object = nullptr;
    const std::type_info* Type = nullptr;
    std::size_t Count = 0;
    std::array<const void*, MaxStackFrames> Frames{};
};

// A few throws are kept, so that an error thrown and caught while another
// is on its way does not cost the first one its stack.
constexpr std::size_t KeptThrows = 8;

struct TThrowHistory {
    std::array<TThrowRecord, KeptThrows> Records;
    std::size_t Next = 0;
};

thread_local TThrowHistory History;
std::atomic<bool> Tracking{false};

}  // namespace

__attribute__((noinline)) void RecordThrow(void* object, void* type) {
    TThrowRecord& record = History.Records[History.Next];
    History.Next = (History.Next + 1) % KeptThrows;
    record.Object = object;
    record.Type = static_cast<const std::type_info*>(type);
    // Leave out this function and the hook that called it.
    record.Count = CaptureStackFrames(record.Frames.data(), record.Frames.size(), 2);
}

bool TrackingOn() { return Tracking; }

void StartExceptionTracking() {
    PrepareThrowHook();
    Tracking = true;
}

bool ExceptionTrackingStarted() { return Tracking; }

bool FindThrowStack(const void* object, const std::type_info* type, TStackTrace& trace) {
    const TThrowRecord* match = nullptr;
    for (std::size_t age = 1; age <= KeptThrows && match == nullptr; ++age) {
        const TThrowRecord& record = History.Records[(History.Next + KeptThrows - age) % KeptThrows];
        if (record.Type != nullptr && record.Object == object) match = &record;
    }
    for (std::size_t age = 1; age <= KeptThrows && match == nullptr && type != nullptr; ++age) {
        const TThrowRecord& record = History.Records[(History.Next + KeptThrows - age) % KeptThrows];
        if (record.Type != nullptr && *record.Type == *type) match = &record;
    }
    if (match == nullptr) return false;
    trace.assign(match->Frames.begin(), match->Frames.begin() + static_cast<std::ptrdiff_t>(match->Count));
    return true;
}

void AdoptThrowStack(const void* object, const std::type_info* type, const TStackTrace& trace) {
    TThrowRecord& record = History.Records[History.Next];
    History.Next = (History.Next + 1) % KeptThrows;
    record.Object = object;
    record.Type = type;
    record.Count = std::min(trace.size(), record.Frames.size());
    std::copy_n(trace.begin(), record.Count, record.Frames.begin());
}

}  // namespace kestro
