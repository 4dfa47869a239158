#include "gpi/SoundFile.h"

#include <exception>

#include "diag/Exceptions.h"
#include "platform/FileRead.h"

namespace kestro {

namespace {

std::uint32_t Little(const Bytes& data, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[offset + static_cast<std::size_t>(i)]);
    return value;
}

bool StartsWith(const Bytes& data, std::size_t offset, const char* text, std::size_t size) {
    return data.size() >= offset + size && data.compare(offset, size, text, size) == 0;
}

constexpr std::uint16_t WaveFormatPcm = 1;
constexpr std::uint16_t WaveFormatExtensible = 0xFFFE;

// The chunks after "WAVE": the "fmt " chunk must say PCM.
bool WavIsPcm(const Bytes& data, std::string& refusal) {
    std::size_t pos = 12;
    while (pos + 8 <= data.size()) {
        const std::uint32_t size = Little(data, pos + 4, 4);
        if (StartsWith(data, pos, "fmt ", 4)) {
            if (size < 16 || pos + 8 + 16 > data.size()) {
                refusal = "its \"fmt \" chunk is cut short";
                return false;
            }
            const std::uint16_t format = static_cast<std::uint16_t>(Little(data, pos + 8, 2));
            if (format == WaveFormatPcm || format == WaveFormatExtensible) return true;
            refusal = "a WAV file of encoding " + std::to_string(format) + ", not PCM";
            return false;
        }
        pos += 8 + static_cast<std::size_t>(size) + (size & 1);
    }
    refusal = "a WAV file without a \"fmt \" chunk";
    return false;
}

// An MPEG audio frame header: 11 sync bits, a known version and layer, a
// bit rate index other than 15 and a known sampling rate.
bool IsMpegFrame(const Bytes& data, std::size_t offset) {
    if (data.size() < offset + 4) return false;
    const auto b1 = static_cast<unsigned char>(data[offset]);
    const auto b2 = static_cast<unsigned char>(data[offset + 1]);
    const auto b3 = static_cast<unsigned char>(data[offset + 2]);
    const bool sync = b1 == 0xFF && (b2 & 0xE0) == 0xE0;
    const bool version = ((b2 >> 3) & 3) != 1;
    const bool layer = ((b2 >> 1) & 3) != 0;
    const bool bitRate = (b3 >> 4) != 15;
    const bool samplingRate = ((b3 >> 2) & 3) != 3;
    return sync && version && layer && bitRate && samplingRate;
}

}  // namespace

const char* SoundFormatName(std::uint8_t format) {
    switch (format) {
    case 0: return "WAV";
    case 1: return "MP3";
    default: return "an unknown format";
    }
}

std::optional<TSoundFormat> SoundFormatOf(const Bytes& content, std::string& refusal) {
    if (content.empty()) {
        refusal = "the file is empty";
        return std::nullopt;
    }
    if (StartsWith(content, 0, "RIFF", 4)) {
        if (!StartsWith(content, 8, "WAVE", 4)) {
            refusal = "a RIFF file, but no WAV";
            return std::nullopt;
        }
        if (!WavIsPcm(content, refusal)) return std::nullopt;
        return TSoundFormat::Wav;
    }
    if (StartsWith(content, 0, "ID3", 3) || IsMpegFrame(content, 0)) return TSoundFormat::Mp3;
    refusal = "neither WAV (RIFF, PCM) nor MP3";
    return std::nullopt;
}

std::optional<TSoundFormat> ReadSoundFile(const std::string& path, Bytes& content, std::string& refusal) {
    try {
        content = ReadFileUpTo(path, SoundFileLimit + 1);
    } catch (const std::exception& error) {
        refusal = error.what();
        return std::nullopt;
    }
    if (content.size() > SoundFileLimit) {
        content.clear();
        refusal = "larger than " + std::to_string(SoundFileLimit >> 20) + " MiB";
        return std::nullopt;
    }
    const auto format = SoundFormatOf(content, refusal);
    if (!format) content.clear();
    return format;
}

}  // namespace kestro
