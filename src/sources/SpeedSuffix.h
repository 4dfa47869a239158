#pragma once
// The speed suffix of a name: "Cam@40" is "Cam" with a 40 km/h alert, while
// "Museum @ Black Hills", "Bob@home" and "Shop@" are names with an "@" in them.
#include <cstddef>
#include <string_view>

namespace kestro {

// Where the first "@" stands whose whole rest is a number (a whole number
// as alert speeds are read, or a decimal one, which is warned about); npos
// when there is none.
std::size_t SpeedSuffixAt(std::string_view name);

}  // namespace kestro
