#pragma once
// The one line on a terminal that shows how far the reading of a long file
// has come; erased when the file is done. Off when standard error is no
// terminal, so logs and pipes see nothing of it.
#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace kestro {

// Only the reading thread (the program's main thread) draws and erases it:
// text of a group built on another thread waits in a buffer and is shown
// from the reading thread.
class TProgressLine {
public:
    // `terminal` gets the line; `ordered` (standard output) is flushed before
    // each drawing, so that the ordered lines are never drawn over.
    TProgressLine(std::ostream& terminal, std::ostream& ordered, int width);
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void StartFile(const std::string& path);
    // After each block the reader took from the file.
    void Update(std::uint64_t bytesRead, std::int64_t waypoints);
    // Erases the line when it is shown; call before writing ordered lines.
    void Clear();

private:
    void Draw(std::uint64_t bytesRead, std::int64_t waypoints, std::chrono::steady_clock::time_point now);

    std::ostream& Terminal_;
    std::ostream& Ordered_;
    int Width_;
    bool Shown_ = false;
    std::uint64_t Size_ = 0;
    std::chrono::steady_clock::time_point Start_;
    std::chrono::steady_clock::time_point LastDrawn_;
};

// The line of one file: started here, erased on every way out (also before
// the report of an error met while reading).
class TProgressFile {
public:
    TProgressFile(TProgressLine* line, const std::string& path);
    ~TProgressFile();
    TProgressFile(const TProgressFile&) = delete;
    TProgressFile& operator=(const TProgressFile&) = delete;
    TProgressLine* Line() const { return Line_; }

private:
    TProgressLine* Line_;
};

// A progress line when err is std::cerr and standard error is a terminal, else none.
std::unique_ptr<TProgressLine> TerminalProgressLine(std::ostream& err, std::ostream& out);

}  // namespace kestro
