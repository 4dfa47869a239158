#include "pipeline/WaitingText.h"

namespace kestro {

TWaitingText::TWaitingText(TGroupOutput& shown)
    : shown_(shown),
      output_(written_.Out(), written_.Err(), nullptr, TGroupOutput::TStreams::Direct, shown.NotWrittenRecord()) {}

void TWaitingText::StartFile() {
    pointsAdded_ = 0;
    waiting_.clear();
}

void TWaitingText::Seal() {
    if (!written_.Empty()) waiting_.push_back({pointsAdded_, written_.Take()});
}

void TWaitingText::PointAdded() {
    Seal();
    ++pointsAdded_;
}

void TWaitingText::ShowStored(std::size_t stored) {
    while (!waiting_.empty() && waiting_.front().PointsBefore <= stored) {
        shown_.Show(waiting_.front().Text);
        waiting_.pop_front();
    }
}

void TWaitingText::EndFile(std::size_t stored) {
    Seal();
    ShowStored(stored);
    waiting_.clear();
}

}  // namespace kestro
