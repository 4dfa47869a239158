#include "pipeline/GroupOutput.h"

namespace kestro {

TGroupOutput::TGroupOutput(std::ostream& out, std::ostream& err, TProgressLine* progress, TStreams streams)
    : Out_(out), Err_(err), Progress_(progress), Erased_(streams == TStreams::Direct ? progress : nullptr) {}

std::ostream& TGroupOutput::Lines() {
    if (Erased_ != nullptr) Erased_->Clear();
    return Out_;
}

void TGroupOutput::Warning(const std::string& file, const std::string& cause, const std::string& text) {
    Tell(file + '\n' + cause, "kestro: warning: " + file + ": " + text + '\n');
}

void TGroupOutput::Note(const std::string& file, const std::string& cause, const std::string& text) {
    Tell(file + "\nnote\n" + cause, "kestro: note: " + file + ": " + text + '\n');
}

void TGroupOutput::OutsideLink(const std::string& file, const std::string& path) {
    Tell(file + "\nlinks\n" + path, "kestro: note: " + file + " links " + path + ", outside the source folder\n");
}

void TGroupOutput::Show(const TOrderedOutput::TChunks& chunks) {
    if (chunks.empty()) return;
    if (Erased_ != nullptr) Erased_->Clear();
    TOrderedOutput::Show(chunks, Out_, Err_);
}

void TGroupOutput::Tell(const std::string& key, const std::string& line) {
    if (!Told_.insert(key).second) return;
    if (Erased_ != nullptr) Erased_->Clear();
    // Where both streams reach one terminal or file, the message follows the
    // lines printed before it.
    Out_.flush();
    Err_ << line << std::flush;
}

}  // namespace kestro
