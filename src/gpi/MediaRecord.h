#pragma once
// The media record (type 18) of a group's extra part: one sound clip, in
// every language of the file, that alerts name by its number.
#include <cstdint>
#include <utility>
#include <vector>

#include "gpi/SoundFile.h"
#include "platform/Bytes.h"

namespace kestro {

// Alerts name a predefined sound as 0x1000 + its number, so a media number
// must stay below it.
constexpr std::uint16_t PredefinedSoundBase = 0x1000;
constexpr std::uint16_t MaxMediaNumber = PredefinedSoundBase - 1;

struct TMediaClip {
    Bytes Language;  // two letters
    Bytes Data;      // the whole file
};

// Main part: the number (from 1 within a group) and the format; extra part:
// the byte count of what follows, then per clip its language, its length
// and its bytes. EFormatLimit when the clips pass the 32-bit length.
Bytes GpiMediaRecord(std::uint16_t number, TSoundFormat format, const std::vector<TMediaClip>& clips);

}  // namespace kestro
