#include "csv/InputFileBuffer.h"

namespace kestro {

namespace {
constexpr std::size_t BlockBytes = 1 << 16;
}

TInputFileBuffer::int_type TInputFileBuffer::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    block_ = file_.ReadAt(offset_, BlockBytes);
    offset_ += block_.size();
    if (block_.empty()) return traits_type::eof();
    setg(block_.data(), block_.data(), block_.data() + block_.size());
    return traits_type::to_int_type(*gptr());
}

TInputFileBuffer::pos_type TInputFileBuffer::seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) {
    if (dir == std::ios_base::beg) return seekpos(pos_type(off), which);
    if (dir != std::ios_base::cur || (which & std::ios_base::in) == 0) return pos_type(off_type(-1));
    const auto here = static_cast<off_type>(offset_) - static_cast<off_type>(egptr() - gptr());
    return off == 0 ? pos_type(here) : seekpos(pos_type(here + off), which);
}

TInputFileBuffer::pos_type TInputFileBuffer::seekpos(pos_type pos, std::ios_base::openmode which) {
    if ((which & std::ios_base::in) == 0 || off_type(pos) < 0) return pos_type(off_type(-1));
    offset_ = static_cast<std::uint64_t>(off_type(pos));
    block_.clear();
    setg(nullptr, nullptr, nullptr);
    return pos;
}

}  // namespace kestro
