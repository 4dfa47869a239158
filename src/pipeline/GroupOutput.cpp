#include "pipeline/GroupOutput.h"

#include "platform/TerminalText.h"

namespace kestro {

TGroupOutput::TGroupOutput(std::ostream& out, std::ostream& err, TProgressLine* progress, TStreams streams,
                           TNotWritten* notWritten)
    : Out_(out),
      Err_(err),
      Progress_(progress),
      Erased_(streams == TStreams::Direct ? progress : nullptr),
      NotWritten_(notWritten) {}

std::ostream& TGroupOutput::Lines() {
    if (Erased_ != nullptr) Erased_->Clear();
    return Out_;
}

void TGroupOutput::Warning(const std::string& file, const std::string& cause, const std::string& text) {
    if (!Tell(file + '\n' + cause, "kestro: warning: " + TerminalText(file + ": " + text) + '\n')) ++Repeated_[{file, cause}];
}

void TGroupOutput::FinishFile(const std::string& file) {
    for (auto repeat = Repeated_.lower_bound({file, std::string()}); repeat != Repeated_.end() && repeat->first.first == file;
         repeat = Repeated_.erase(repeat)) {
        Tell(file + '\n' + repeat->first.second + "\nrepeated",
             "kestro: warning: " + TerminalText(file) + ": \"" + repeat->first.second + "\" warning repeated for " +
                 std::to_string(repeat->second) + (repeat->second == 1 ? " more waypoint\n" : " more waypoints\n"));
    }
}

void TGroupOutput::NotWritten(const std::string& file, const char* cause, std::int64_t count) {
    if (NotWritten_ != nullptr) NotWritten_->Record(cause, file, count);
}

void TGroupOutput::CountWritten() {
    if (NotWritten_ != nullptr) NotWritten_->CountWritten();
}

void TGroupOutput::NotGpx(const std::string& file, const std::string& start) {
    Tell(file + "\nnot GPX", "kestro: warning: " + TerminalText(file) + " is not a GPX file: " +
                                 (start.empty() ? std::string("it is empty") : "it starts with \"" + start + "\"") + '\n');
}

void TGroupOutput::Note(const std::string& file, const std::string& cause, const std::string& text) {
    Tell(file + "\nnote\n" + cause, "kestro: note: " + TerminalText(file + ": " + text) + '\n');
}

void TGroupOutput::TranslationNote(const std::string& file, TTranslationNotes::TKind kind, const std::string& text,
                                   const TLanguageCounts& missing) {
    if (NotWritten_ != nullptr && !NotWritten_->TranslationNotes().Tell(kind, missing)) return;
    Note(file, kind == TTranslationNotes::TKind::Texts ? "translations" : "names", text);
}

void TGroupOutput::OutsideLink(const std::string& file, const std::string& path) {
    Tell(file + "\nlinks\n" + path, "kestro: note: " + TerminalText(file + " links " + path) + ", outside the source folder\n");
}

void TGroupOutput::Show(const TOrderedOutput::TChunks& chunks) {
    if (chunks.empty()) return;
    if (Erased_ != nullptr) Erased_->Clear();
    TOrderedOutput::Show(chunks, Out_, Err_);
}

bool TGroupOutput::Tell(const std::string& key, const std::string& line) {
    if (!Told_.insert(key).second) return false;
    if (Erased_ != nullptr) Erased_->Clear();
    // Where both streams reach one terminal or file, the message follows the
    // lines printed before it.
    Out_.flush();
    Err_ << line << std::flush;
    return true;
}

}  // namespace kestro
