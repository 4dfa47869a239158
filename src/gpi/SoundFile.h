#pragma once
// The sound files a device plays for an alert: WAV holding PCM samples, or
// MP3. Anything else would be stored but never play, so it is refused.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Bytes.h"

namespace kestro {

// The format byte of the media record.
enum class TSoundFormat : std::uint8_t { Wav = 0, Mp3 = 1 };

// "WAV", "MP3", or "an unknown format".
const char* SoundFormatName(std::uint8_t format);

// The format of the bytes of a sound file, or nothing with why in refusal:
// a WAV is "RIFF....WAVE" whose "fmt " chunk says PCM (1) or its extensible
// form; an MP3 starts with an ID3 tag or an MPEG audio frame header.
std::optional<TSoundFormat> SoundFormatOf(const Bytes& content, std::string& refusal);

// The largest sound file taken: a media record's entries must fit its
// 32-bit length together, and a clip of minutes is no alert.
constexpr std::uint64_t SoundFileLimit = 16u << 20;

// Reads and checks a sound file; nothing with why in refusal when it cannot
// be read, is larger than SoundFileLimit or is no WAV or MP3.
std::optional<TSoundFormat> ReadSoundFile(const std::string& path, Bytes& content, std::string& refusal);

}  // namespace kestro
