#include "pipeline/ProgressLine.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "diag/Exceptions.h"
#include "platform/PathName.h"
#include "platform/ProgramStart.h"

namespace kestro {

namespace {

constexpr auto RedrawInterval = std::chrono::milliseconds(250);
constexpr const char* EraseLine = "\r\033[K";

}  // namespace

TProgressLine::TProgressLine(std::ostream& terminal, std::ostream& ordered, int width)
    : Terminal_(terminal), Ordered_(ordered), Width_(width) {}

void TProgressLine::StartFile(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
    Size_ = error ? 0 : size;
    Start_ = std::chrono::steady_clock::now();
    LastDrawn_ = Start_;
}

void TProgressLine::Update(std::uint64_t bytesRead, std::int64_t waypoints) {
    // A file read in one block is done before a line would be worth showing;
    // a longer one shows its line after the first block, then a few times a second.
    if (bytesRead >= Size_) return;
    const auto now = std::chrono::steady_clock::now();
    if (Shown_ && now - LastDrawn_ < RedrawInterval) return;
    Draw(bytesRead, waypoints, now);
}

void TProgressLine::Draw(std::uint64_t bytesRead, std::int64_t waypoints, std::chrono::steady_clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - Start_).count();
    std::string line = Format("  Reading: %.1f of %.1f MB, %lld waypoints", static_cast<double>(bytesRead) / 1e6,
                              static_cast<double>(Size_) / 1e6, static_cast<long long>(waypoints));
    if (seconds >= 0.1) line += Format(", %.0f per second", static_cast<double>(waypoints) / seconds);
    // A line longer than the terminal would wrap and could not be erased.
    if (Width_ > 1 && line.size() >= static_cast<std::size_t>(Width_)) line.resize(static_cast<std::size_t>(Width_ - 1));
    Ordered_.flush();
    Terminal_ << EraseLine << line << std::flush;
    Shown_ = true;
    LastDrawn_ = now;
}

void TProgressLine::Clear() {
    if (!Shown_) return;
    Terminal_ << EraseLine << std::flush;
    Shown_ = false;
}

TProgressFile::TProgressFile(TProgressLine* line, const std::string& path) : Line_(line) {
    if (Line_ != nullptr) Line_->StartFile(path);
}

TProgressFile::~TProgressFile() {
    if (Line_ != nullptr) Line_->Clear();
}

std::unique_ptr<TProgressLine> TerminalProgressLine(std::ostream& err, std::ostream& out) {
    // Only the process's own standard error can reach a terminal; a caller's buffer never does.
    if (&err != &std::cerr) return nullptr;
    const int width = StandardErrorTerminalWidth();
    if (width == 0) return nullptr;
    return std::make_unique<TProgressLine>(err, out, width);
}

}  // namespace kestro
