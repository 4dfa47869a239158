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
};

class TOutputFile {
public:
    // EFCreateError when the file cannot be created.
    explicit TOutputFile(const std::string& path, const TOutputOptions& options = {});
    // Closes a file still open, ignoring errors: this only happens while an
    // error is already on its way.
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(std::string_view bytes);  // all bytes or EWriteError
    void Close();                        // EWriteError when the system reports a failure
    const std::string& Path() const noexcept { return path_; }

private:
    [[noreturn]] void RaiseWriteError(int errorNumber) const;

    std::string path_;
    TOutputOptions options_;
    int handle_ = -1;
};

// Creates or replaces the file with the bytes, as TOutputFile does.
void WriteWholeFile(const std::string& path, std::string_view bytes, const TOutputOptions& options = {});

}  // namespace kestro
