#pragma once
// A record with an extra part built at the end of a byte string, for parts
// too large to build apart and copy in (an area holding a million points).
// The header goes first; its lengths are filled in from what was appended.
#include <cstddef>
#include <cstdint>

#include "platform/Bytes.h"

namespace kestro {

class TRecordInPlace {
public:
    // Writes the header of a record of this type; the main part follows.
    // A record known to have no extra part gets the short header.
    TRecordInPlace(Bytes& out, std::uint16_t type, bool withExtra = true);

    // What is appended from now on is the extra part (withExtra only).
    void EndMain();
    bool ExtraEmpty() const noexcept;
    // Fills in the lengths; EFormatLimit when they pass 32 bits.
    void Finish();
    // Takes the record out again, header and all.
    void Drop() noexcept;

private:
    Bytes& out_;
    std::size_t start_;
    bool withExtra_;
    std::size_t mainEnd_ = 0;
};

}  // namespace kestro
