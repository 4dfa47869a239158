#include "gpi/GpiRecords.h"

#include <algorithm>
#include <stdexcept>

namespace kestro {

namespace {

constexpr std::size_t PreviewSize = 16;

std::uint32_t LoadLittleEndian(const Bytes& data, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[offset + static_cast<std::size_t>(i)]);
    return value;
}

}  // namespace

bool ReadRecordHead(const Bytes& data, std::size_t offset, std::size_t end, TGpiEnvelope& head) {
    if (offset >= end || end - offset < 8) return false;
    const std::size_t left = end - offset;
    head.Offset = offset;
    head.Type = static_cast<std::uint16_t>(LoadLittleEndian(data, offset, 2));
    head.Flags = static_cast<std::uint16_t>(LoadLittleEndian(data, offset + 2, 2));
    head.DataLength = LoadLittleEndian(data, offset + 4, 4);
    const bool hasExtra = (head.Flags & 8) != 0;
    head.HeadSize = hasExtra ? 12 : 8;
    if (left < head.HeadSize) return false;
    const std::size_t dataSize = std::min<std::size_t>(head.DataLength, left - head.HeadSize);
    head.MainLength = hasExtra ? LoadLittleEndian(data, offset + 8, 4) : head.DataLength;
    const std::size_t mainSize = hasExtra ? std::min<std::size_t>(head.MainLength, dataSize) : dataSize;
    head.Data = TGpiSpan{offset + head.HeadSize, dataSize};
    head.Main = TGpiSpan{offset + head.HeadSize, mainSize};
    head.Extra = TGpiSpan{head.Main.End(), dataSize - mainSize};
    return true;
}

TGpiOther OtherRecord(const Bytes& data, const TGpiEnvelope& head) {
    TGpiOther other;
    other.Offset = head.Offset;
    other.Type = head.Type;
    other.Flags = head.Flags;
    other.MainSize = head.Main.Size;
    other.ExtraSize = head.Extra.Size;
    other.Preview = data.substr(head.Main.Offset, std::min(head.Main.Size, PreviewSize));
    return other;
}

TGpiRecords::TGpiRecords(std::shared_ptr<const Bytes> data, TGpiSpan span) : data_(std::move(data)), span_(span) {}

void TGpiRecords::SkipType(std::uint16_t type) {
    if (type < 32) skipTypes_ |= std::uint32_t{1} << type;
}

void TGpiRecords::SkipOffset(std::size_t offset) { (skipOffsets_[0] == SIZE_MAX ? skipOffsets_[0] : skipOffsets_[1]) = offset; }

void TGpiRecords::StopAt(std::size_t end) { stop_ = end; }

bool TGpiRecords::Holds(const TGpiEnvelope& head) const {
    if (head.Type < 32 && (skipTypes_ >> head.Type & 1) != 0) return false;
    return head.Offset != skipOffsets_[0] && head.Offset != skipOffsets_[1];
}

TGpiRecords::TIterator TGpiRecords::begin() const {
    if (count_ == 0 || !data_) return end();
    return TIterator(this, span_.Offset);
}

TGpiRecords::TIterator TGpiRecords::end() const { return TIterator(this, SIZE_MAX); }

TGpiOther TGpiRecords::operator[](std::size_t index) const {
    auto it = begin();
    for (std::size_t i = 0; i < index && it != end(); ++i) ++it;
    return it != end() ? *it : TGpiOther();
}

TGpiOther TGpiRecords::at(std::size_t index) const {
    if (index >= count_) throw std::out_of_range("record list index");
    return (*this)[index];
}

TGpiRecords::TIterator::TIterator(const TGpiRecords* list, std::size_t pos) : list_(list), pos_(pos), next_(pos) {
    if (pos_ == SIZE_MAX) return;
    left_ = list_->count_;
    Settle();
}

void TGpiRecords::TIterator::Settle() {
    const Bytes& data = *list_->data_;
    const std::size_t end = std::min(list_->span_.End(), data.size());
    TGpiEnvelope head;
    while (left_ > 0 && next_ < list_->stop_ && ReadRecordHead(data, next_, end, head)) {
        next_ = head.Data.End();
        if (list_->Holds(head)) {
            pos_ = head.Offset;
            current_ = OtherRecord(data, head);
            --left_;
            return;
        }
    }
    pos_ = SIZE_MAX;
}

TGpiRecords::TIterator& TGpiRecords::TIterator::operator++() {
    Settle();
    return *this;
}

TGpiRecords::TIterator TGpiRecords::TIterator::operator++(int) {
    TIterator before = *this;
    Settle();
    return before;
}

}  // namespace kestro
