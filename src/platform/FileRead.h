#pragma once
// Reading input files (documents, icons, images, settings, GPI files)
// through one owner of the open file.
#include <cstdint>
#include <string>
#include <optional>

#include "platform/Bytes.h"

namespace kestro {

// How a reader wants its failures worded and folders treated. The defaults
// are the converter's; the inspector words its messages its own way.
struct TInputOptions {
    const char* CannotOpen = "Cannot open file \"%s\". %s";  // file name, reason
    const char* CannotRead = "Cannot read file \"%s\". %s";
    bool FullPath = true;        // name the file with its full path, else as given
    bool FolderOpens = false;    // a folder opens and fails at the first read
};

// A file opened for reading; closed by the destructor on every path.
// Opening raises EFOpenError (also for any other non-regular file, whose
// reading could block or never end, and for a folder unless FolderOpens);
// reading raises EReadError.
class TInputFile {
public:
    explicit TInputFile(const std::string& path, const TInputOptions& options = {});
    ~TInputFile();
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    // Up to `count` bytes from `offset`: fewer, or none, where the file ends.
    Bytes ReadAt(std::uint64_t offset, std::size_t count) const;
    // Everything from the start to the end of the file.
    Bytes ReadAll() const;
    // From the start, at most `limit` bytes: read in blocks, the result
    // grown only with what was read (a file may say it is empty and never
    // end, as some of /proc do).
    Bytes ReadUpTo(std::uint64_t limit) const;
    // The next block from the current position, up to `count` bytes; 0 at the end.
    std::size_t ReadNext(char* target, std::size_t count);

private:
    TInputFile(const std::string& path, const TInputOptions& options, bool missingAllowed);
    std::size_t ReadInto(char* buffer, std::size_t count, std::uint64_t offset) const;
    [[noreturn]] void RaiseReadError(int errorNumber) const;
    // The size the system reports for a regular file, else 0: a hint only.
    std::uint64_t SizeHint() const;
    friend std::optional<Bytes> ReadFileIfPresent(const std::string& path, const TInputOptions& options,
                                                  std::uint64_t limit);

    std::string path_;  // UTF-8
    TInputOptions options_;
    int descriptor_ = -1;
};

// The whole content of the file at path.
Bytes ReadWholeFile(const std::string& path, const TInputOptions& options = {});

// At most the first `limit` bytes of the file at path.
Bytes ReadFileUpTo(const std::string& path, std::uint64_t limit, const TInputOptions& options = {});

// The whole content, or nothing when there is no file of that name (it, or
// a folder on its way, is missing); errors as for ReadWholeFile otherwise.
// At most `limit` bytes of it.
std::optional<Bytes> ReadFileIfPresent(const std::string& path, const TInputOptions& options = {},
                                       std::uint64_t limit = UINT64_MAX);

}  // namespace kestro
