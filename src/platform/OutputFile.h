#pragma once
// Output files: created, written through checked writes and closed with a
// checked close, so a full disk or a file-size limit ends the run with an
// error instead of a silently truncated file.
#include <string>
#include <string_view>

namespace kestro {

struct TOutputOptions {
    // Remove an existing regular file first, so the output never shares its
    // data with another name of it; else it is truncated in place.
    bool ReplaceFile = true;
    bool FullPath = true;  // name the file with its full path in messages, else as given
    // Write a temporary file beside the destination and rename it over the
    // destination in Close, so a failure never destroys a good file; what
    // was written is then kept as "DESTINATION.partial" (see KeepPartial). A
    // destination that is a link is followed: the file it leads to is
    // replaced. One that is no regular file (a device, a FIFO) is never
    // replaced but written in place, and so is one in a folder where no other
    // file can be created.
    bool ReplaceOnClose = false;
    // Create the file only where no entry of that name exists (a link
    // included, which is never followed); ReplaceFile and ReplaceOnClose are
    // then ignored.
    bool OnlyNew = false;
    // Write to the process's standard output as it stands (a pipe, a
    // terminal, a file opened by the shell); the path only names it in
    // messages, and every other option is ignored.
    bool StandardOutput = false;
};

class TOutputFile {
public:
    // EFCreateError when the file cannot be created.
    explicit TOutputFile(const std::string& path, const TOutputOptions& options = {});
    // Closes a file still open, ignoring errors: this only happens while an
    // error is already on its way. Keeps what was written (KeepPartial).
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(std::string_view bytes);  // all bytes or EWriteError
    // EWriteError when the system reports a failure. With ReplaceOnClose the
    // file then takes the destination's place, and a partial file of an
    // earlier failed run is removed.
    void Close();
    // After a failure, with ReplaceOnClose: closes the file and moves what
    // was written to "DESTINATION.partial" (the name cut short where the
    // file system refuses one so long), replacing an old one. Returns its
    // full path, or "" when nothing is kept (written in place, or already in
    // the destination's place). A run ended by SIGINT, SIGTERM or SIGHUP
    // keeps it too and says so on standard error.
    std::string KeepPartial();
    const std::string& Path() const noexcept { return path_; }

private:
    [[noreturn]] void RaiseWriteError(int errorNumber) const;
    void OpenInPlace();

    std::string path_;
    TOutputOptions options_;
    std::string target_;     // the file replaced: path_ with links followed
    std::string temporary_;  // the file being written until it is moved; "" when written in place
    std::string partial_;    // where a failed run keeps it: target_ + ".partial", cut where too long
    int handle_ = -1;
};

// Creates or replaces the file with the bytes, as TOutputFile does.
void WriteWholeFile(const std::string& path, std::string_view bytes, const TOutputOptions& options = {});

}  // namespace kestro
