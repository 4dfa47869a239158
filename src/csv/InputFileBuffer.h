#pragma once
// An input file as a stream buffer, read block by block from a given offset,
// so that a file can be read twice through the one open handle.
#include <cstdint>
#include <streambuf>

#include "platform/Bytes.h"
#include "platform/FileRead.h"

namespace kestro {

class TInputFileBuffer : public std::streambuf {
public:
    // `file` must outlive the buffer.
    TInputFileBuffer(const TInputFile& file, std::uint64_t offset = 0) : file_(file), offset_(offset) {}

protected:
    int_type underflow() override;

private:
    const TInputFile& file_;
    std::uint64_t offset_;
    Bytes block_;
};

}  // namespace kestro
