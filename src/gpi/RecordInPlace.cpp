#include "gpi/RecordInPlace.h"

#include "gpi/GpiUtil.h"

namespace kestro {

namespace {

// Type, flags, data length, and with an extra part the main length.
constexpr std::size_t ShortHeaderSize = 8;
constexpr std::size_t HeaderSize = 12;

void PutDword(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

TRecordInPlace::TRecordInPlace(Bytes& out, std::uint16_t type, bool withExtra)
    : out_(out), start_(out.size()), withExtra_(withExtra) {
    AppendGpiWord(out_, type);
    AppendGpiWord(out_, withExtra ? 8 : 0);
    out_.append(withExtra ? HeaderSize - 4 : ShortHeaderSize - 4, '\0');
}

void TRecordInPlace::EndMain() { mainEnd_ = out_.size(); }

bool TRecordInPlace::ExtraEmpty() const noexcept { return out_.size() == mainEnd_; }

void TRecordInPlace::Finish() {
    const std::size_t mainBegin = start_ + (withExtra_ ? HeaderSize : ShortHeaderSize);
    PutDword(out_, start_ + 4, RecordLength(out_.size() - mainBegin));
    if (withExtra_) PutDword(out_, start_ + 8, RecordLength(mainEnd_ - mainBegin));
}

void TRecordInPlace::Drop() noexcept { out_.resize(start_); }

}  // namespace kestro
