#pragma once
// Number and byte formats shared by the printers of kestro-dump.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Bytes.h"

namespace kestro {

struct TDumpOptions {
    bool Stamp = true;  // print the header's time stamp
};

// Degrees of a semicircle value with seven decimals: "50.0000000".
std::string DegreesText(std::int32_t semicircles);
// Upper-case hex pairs separated by blanks.
std::string HexText(const Bytes& bytes);
// A file offset as "0x1A2".
std::string OffsetText(std::size_t offset);

}  // namespace kestro
