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

}  // namespace kestro
