#pragma once
// The output GPI file, written so that a failed run never destroys a good
// file: the bytes go to a temporary file beside the destination, which Close
// renames over it. When the run fails, the destination stays as it was and
// what was written is kept as "DESTINATION.partial". Writes and the close are
// checked, so a full disk or a file-size limit ends the run with an error
// instead of a silently truncated file.
#include <string>

#include "gpi/Bytes.h"

namespace kestro {

class TOutputFile {
public:
    // EFCreateError when it cannot be created. A destination that is a link
    // is followed: the file it leads to is replaced. A destination that is
    // no regular file (a device, a FIFO) is never replaced but written in
    // place, and so is one in a folder where no other file can be created.
    explicit TOutputFile(const std::string& path);
    // Without a successful Close, keeps what was written (see KeepPartial).
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    void Write(const Bytes& bytes);  // all bytes or EWriteError
    // Closes the file and puts it in place of the destination, removing a
    // partial file of an earlier failed run; EWriteError when the system
    // reports a failure.
    void Close();
    // After a failure: closes the file and moves what was written to
    // "DESTINATION.partial", replacing an old one. Returns its full path, or
    // "" when nothing is kept (written in place, or already put in place).
    std::string KeepPartial();
    const std::string& Path() const noexcept { return path_; }

private:
    std::string path_;       // as given; messages name it
    std::string target_;     // the file replaced: path_ with links followed
    std::string temporary_;  // the file being written, until it is moved; "" when written in place
    int handle_ = -1;
};

// Writes the whole byte string; nothing for an empty one.
void GpiWriteBytes(TOutputFile& stream, const Bytes& bytes);

// The full path of a file name, for messages.
std::string FullFileName(const std::string& path);

}  // namespace kestro
