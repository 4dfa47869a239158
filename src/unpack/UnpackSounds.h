#pragma once
// The media records of one group written back as sound files that kestro
// turns into the same records: beside a category file whose every point
// plays it, else linked from the waypoints that play it.
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "gpi/GpiReader.h"
#include "unpack/UnpackTally.h"

namespace kestro {

class TUnpackSounds {
public:
    // languages: the file's (FileLanguages).
    TUnpackSounds(const TGpiGroup& group, const std::vector<Bytes>& languages, TUnpackTally& tally);

    // The media number the point's alert plays when kestro can give it back; 0 otherwise.
    std::uint16_t SoundOf(const TGpiPoint& point) const;
    // The files of a sound named base without extension: the first language's
    // clip as base + ".wav" (or ".mp3"), and the clip of each further
    // language that differs as base + ".XX.wav"; names and bytes.
    std::vector<std::pair<std::string, Bytes>> Files(std::uint16_t number, const std::string& base) const;
    // The name of the plain file for base.
    std::string PlainName(std::uint16_t number, const std::string& base) const;

    // kestro numbers sounds by first use in reading order: each waypoint
    // written, in that order, tells the sound it plays (0 none).
    void Played(std::uint16_t number);
    // Counts what does not come back; returns the usable sounds no alert plays.
    std::vector<std::uint16_t> Finish();

private:
    struct TSound {
        const TGpiMedia* Media = nullptr;
        bool Played = false;
    };
    std::map<std::uint16_t, TSound> usable_;
    std::vector<Bytes> codes_;
    std::vector<std::uint16_t> firstPlayed_;
    TUnpackTally& tally_;
};

}  // namespace kestro
