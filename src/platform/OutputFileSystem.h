#pragma once
// The system's side of output files: one source file per system
// (OutputFilePosix.cpp, windows/OutputFile.cpp). What every system shares,
// the names, the order of the steps and the messages, is in OutputFile.cpp.
// Handles are C run-time descriptors; a call that can fail returns the
// errno value of the failure, 0 when it succeeds.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kestro {

// What lies at a path, a link not followed. The system that has no links
// an output may follow calls them Other.
enum class TEntryKind { Missing, File, Link, Other };
TEntryKind EntryKindAt(const std::string& path);

// The file a path leads to once links are followed, also when the last link
// leads nowhere yet; the path as it is where the system follows none here.
std::string FollowLinks(std::string path);

enum class TOutputOpening {
    Temporary,  // a new file, for reading and writing; fails on any entry of that name
    OnlyNew,    // a new file; fails on any entry of that name, a link included
    Replace,    // created or emptied, for reading too: a FIFO opens without waiting for a reader
    Truncate,   // created or emptied
};

struct TOpenedOutput {
    int Handle = -1;
    int Error = 0;  // errno value when Handle is -1
};

TOpenedOutput OpenOutput(const std::string& path, TOutputOpening how);
// A handle of its own on standard output, so that closing it checks the
// writes and leaves standard output open.
TOpenedOutput DuplicateStandardOutput();

// Writes a first part of the bytes and says how many went out; none only
// when the device takes no more.
int WriteSome(int handle, std::string_view bytes, std::size_t& written);
int CloseOutput(int handle);
// Renames from over to, replacing a file there.
int MoveOver(const std::string& from, const std::string& to);
void RemoveEntry(const std::string& path);

// Names a temporary file of this process.
std::string ProcessNumber();

// The longest name the folder takes, and what it counts: bytes of UTF-8,
// or UTF-16 units.
struct TNameLimit {
    std::size_t Longest = 255;
    bool CountsUtf16 = false;
};
TNameLimit NameLimitIn(const std::string& folder);

// A run stopped from outside (a signal, the console closed) keeps what it
// wrote: once watched, the temporary file is moved to the partial file (or
// removed where it may not go there) and the matching line is written to
// standard error. WithStopsHeld runs `create` so that no stop falls between
// creating the file and watching it.
void WithStopsHeld(const std::function<void()>& create);
void WatchStops(const std::string& temporary, const std::string& partial, const std::string& keptLine,
                const std::string& lostLine);
void UnwatchStops();

}  // namespace kestro
