#pragma once
// An input file as a stream buffer, read block by block from a given offset,
// so that a file can be read twice through the one open handle, and a
// reader can go back to a place it passed.
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
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

private:
    const TInputFile& file_;
    std::uint64_t offset_;  // of the byte after the block
    Bytes block_;
};

}  // namespace kestro
