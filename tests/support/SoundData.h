#pragma once
// Small sound files made at test time: a PCM WAV and a one-frame MP3.
#include <cstdint>
#include <string>

#include "gpi/GpiUtil.h"

namespace kestro::test {

// A mono 8-bit WAV of `samples` samples at 8000 Hz, each `level`;
// `encoding` 1 is PCM, 3 IEEE float.
inline Bytes PcmWav(std::size_t samples = 64, char level = '\x80', std::uint16_t encoding = 1) {
    const Bytes format = GpiWord(encoding) + GpiWord(1) + GpiDword(8000) + GpiDword(8000) + GpiWord(1) + GpiWord(8);
    const Bytes body = Bytes("WAVE") + "fmt " + GpiDword(16) + format + "data" +
                       GpiDword(static_cast<std::uint32_t>(samples)) + Bytes(samples, level);
    return "RIFF" + GpiDword(static_cast<std::uint32_t>(body.size())) + body;
}

// One MPEG-1 layer III frame of 128 kbit/s at 44.1 kHz (417 bytes), silent.
inline Bytes Mp3Frame() { return Bytes("\xFF\xFB\x90\x00", 4) + Bytes(413, '\0'); }

// An MP3 that starts with an ID3v2 tag.
inline Bytes Id3Mp3() { return Bytes("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + Mp3Frame(); }

// The start of a PNG file.
inline Bytes PngStart() { return Bytes("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16) + Bytes(17, '\x01'); }

}  // namespace kestro::test
