#pragma once
// Records read where they lie: the head of one record decoded from the file's
// bytes, and lists of records that are walked again in the file each time
// they are asked for rather than copied out. A file of a million small
// records then costs the file's bytes, not an entry per record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "platform/Bytes.h"

namespace kestro {

struct TGpiSpan {
    std::size_t Offset = 0;
    std::size_t Size = 0;
    std::size_t End() const { return Offset + Size; }
};

// The head of a record and the parts it gives, clipped to its parent.
struct TGpiEnvelope {
    std::size_t Offset = 0;
    std::uint16_t Type = 0;
    std::uint16_t Flags = 0;
    std::uint32_t DataLength = 0;  // as the head gives them
    std::uint32_t MainLength = 0;
    std::size_t HeadSize = 0;  // 8, or 12 with flag 8
    TGpiSpan Main;
    TGpiSpan Extra;  // empty without flag 8
    TGpiSpan Data;   // main and extra together
};

// Decodes the head of the record at `offset` in a parent ending at `end`;
// false when the parent has no room left for a whole head.
bool ReadRecordHead(const Bytes& data, std::size_t offset, std::size_t end, TGpiEnvelope& head);

// A record kept only by its envelope: an unknown type, or a known type where it does not belong.
struct TGpiOther {
    std::size_t Offset = 0;
    std::uint16_t Type = 0;
    std::uint16_t Flags = 0;
    std::size_t MainSize = 0;
    std::size_t ExtraSize = 0;
    Bytes Preview;  // the first bytes of the main part
};

// The records of one part of the file that the reader keeps by envelope
// only: those of a span laid end to end, less the ones read as something
// else (by type, or the one record at a given offset).
class TGpiRecords {
public:
    class TIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TGpiOther;
        using difference_type = std::ptrdiff_t;
        using pointer = const TGpiOther*;
        using reference = const TGpiOther&;

        TIterator() = default;
        const TGpiOther& operator*() const { return current_; }
        const TGpiOther* operator->() const { return &current_; }
        TIterator& operator++();
        TIterator operator++(int);
        bool operator==(const TIterator& other) const { return list_ == other.list_ && pos_ == other.pos_; }

    private:
        friend class TGpiRecords;
        TIterator(const TGpiRecords* list, std::size_t pos);
        void Settle();  // moves on to the next record the list holds, or to the end

        const TGpiRecords* list_ = nullptr;
        std::size_t pos_ = 0;
        std::size_t next_ = 0;  // where the walk goes on after the current record
        std::size_t left_ = 0;  // records still to give
        TGpiOther current_;
    };

    TGpiRecords() = default;
    TGpiRecords(std::shared_ptr<const Bytes> data, TGpiSpan span);

    // Records of this type (below 32) are read as something else.
    void SkipType(std::uint16_t type);
    // The record at this offset is read as something else.
    void SkipOffset(std::size_t offset);
    // Ends the walk before `end` (the end record of the file).
    void StopAt(std::size_t end);
    // Counted by the reader as it meets each record the list holds.
    void Count() { ++count_; }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    TIterator begin() const;
    TIterator end() const;
    // Walks to the record: for small lists.
    TGpiOther operator[](std::size_t index) const;
    TGpiOther at(std::size_t index) const;

private:
    bool Holds(const TGpiEnvelope& head) const;

    std::shared_ptr<const Bytes> data_;
    TGpiSpan span_;
    std::uint32_t skipTypes_ = 0;
    std::size_t skipOffsets_[2] = {SIZE_MAX, SIZE_MAX};
    std::size_t stop_ = SIZE_MAX;
    std::size_t count_ = 0;
};

// The first bytes of a record's main part, as the envelope lists show them.
TGpiOther OtherRecord(const Bytes& data, const TGpiEnvelope& head);

}  // namespace kestro
