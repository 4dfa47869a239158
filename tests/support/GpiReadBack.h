#pragma once
// Records the writer builds, read back through the program's GPI reader:
// the records are framed as the main part of the one group of a small file,
// so the reader sees them where the writer puts them.
#include <cstddef>

#include "gpi/GpiReader.h"
#include "platform/Bytes.h"

namespace kestro::test {

struct TReadBack {
    Bytes Content;  // the framed file
    TGpiFile File;
};

// Reads `groupMain` (records that follow the group's name: its root area);
// fails the test when the reader notes a problem.
TReadBack ReadGroupMain(const Bytes& groupMain);
// Reads one point record, framed inside an area.
TReadBack ReadPointRecord(const Bytes& point);

// The whole record (envelope included) that starts at `offset` of `content`.
Bytes RecordAt(const Bytes& content, std::size_t offset);

}  // namespace kestro::test
