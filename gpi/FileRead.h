#pragma once
// Reading input files (icons, images) through one owner of the open file.
#include <cstdint>
#include <filesystem>

#include "gpi/Bytes.h"

namespace kestro {

// A file opened for reading; closed by the destructor on every path.
// Opening raises EFOpenError (also for a folder or any other non-regular
// file, whose reading could block or never end); reading raises EReadError.
class TInputFile {
public:
    explicit TInputFile(const std::filesystem::path& path);
    ~TInputFile();
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    // Up to `count` bytes from `offset`: fewer, or none, where the file ends.
    Bytes ReadAt(std::uint64_t offset, std::size_t count) const;
    // Everything from the start to the end of the file.
    Bytes ReadAll() const;

private:
    std::size_t ReadInto(char* buffer, std::size_t count, std::uint64_t offset) const;
    [[noreturn]] void RaiseReadError(int errorNumber) const;

    std::filesystem::path path_;
    int descriptor_ = -1;
};

// The whole content of the file at path.
Bytes ReadWholeFile(const std::filesystem::path& path);

}  // namespace kestro
