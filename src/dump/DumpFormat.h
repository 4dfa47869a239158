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
// An alert speed, stored in hundredths of a metre per second, in km/h as
// the outline and the page both show it: a whole number where the field is
// within a hundredth of a metre per second of a whole speed ("50 km/h" for
// 13.88 m/s, which is 50 km/h cut to the field), else with two decimals
// ("48.28 km/h" for 13.41 m/s, 30 mph). A speed of 0 means the alert has no
// speed: "none".
std::string SpeedText(std::uint32_t hundredths);

}  // namespace kestro
