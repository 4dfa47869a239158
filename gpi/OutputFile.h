#pragma once
// The output GPI file: created fresh, written through checked writes and
// closed with a checked close, so a full disk or a file-size limit ends the
// run with an error instead of a silently truncated file.
#include <string>

#include "gpi/Bytes.h"

namespace kestro {

class TOutputFile {
public:
    // Replaces any file of that name; EFCreateError when it cannot be created.
    explicit TOutputFile(const std::string& path);
    // Closes a file still open, ignoring errors: this only happens while an
    // error is already on its way.
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(const Bytes& bytes);  // all bytes or EWriteError
    void Close();                    // EWriteError when the system reports a failure
    const std::string& Path() const noexcept { return path_; }

private:
    std::string path_;
    int handle_ = -1;
};

// Writes the whole byte string; nothing for an empty one.
void GpiWriteBytes(TOutputFile& stream, const Bytes& bytes);

// The full path of a file name, for messages.
std::string FullFileName(const std::string& path);

}  // namespace kestro
