#pragma once
// The sounds of one group's alerts: a WAV or MP3 file linked from a
// waypoint, else the one named after the list beside it ("speed_50.wav"
// beside "speed_50.gpx"). Each distinct file becomes one media record,
// numbered from 1 in the order of first use; with several languages a file
// "NAME.XX.wav" beside "NAME.wav" serves language XX.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gpi/PoiWpt.h"
#include "pipeline/GroupOutput.h"
#include "platform/Bytes.h"
#include "waypoints/LinkPath.h"

namespace kestro {

// The proximity alert a point with a sound but no alert gets: what a speed
// alert at 50 km/h warns, 36 seconds ahead.
constexpr std::int32_t SoundAlertDistance = 500;

class TGroupSounds {
public:
    // Gives point the sound its links (resolved for the list file listPath)
    // or the list's name call for, and an alert to play it when it has none; a file that cannot serve is
    // a warning about listPath and no sound. languages: the codes of the
    // run, empty for "EN" alone. Raises nothing for bad sound files.
    void Apply(const std::vector<TResolvedLink>& links, const std::string& listPath,
               const std::vector<std::string>& languages, TPoiWpt& point, TGroupOutput& output);

    // The media records made so far, in number order.
    const Bytes& Records() const { return records_; }
    // The number of media records.
    std::size_t Count() const { return count_; }

    // Media numbers past this are refused (a warning, no sound); below the
    // first predefined sound's value unless a test sets it lower.
    std::uint16_t Limit = 0x0FFF;

private:
    // The media number of the sound whose plain file is path; 0 when there
    // is none or it cannot serve (warned when `warnMissing` or it is bad).
    std::uint16_t NumberOf(const std::string& path, bool warnMissing, const std::string& listPath,
                           const std::vector<std::string>& languages, TGroupOutput& output);
    std::uint16_t ListSound(const std::string& listPath, const std::vector<std::string>& languages,
                            TGroupOutput& output);

    // Everything here is touched by the reading thread only.
    std::map<std::string, std::uint16_t> numbers_;  // by plain path; 0: no sound
    std::map<std::string, std::uint16_t> lists_;    // by list path
    Bytes records_;
    std::size_t count_ = 0;
};

// "dir/name.XX.ext" for "dir/name.ext" and code XX.
std::string LanguageSoundPath(const std::string& path, const std::string& code);

// Whether an href names a sound file by its extension (".wav", ".mp3").
bool IsSoundLink(const std::string& path);

}  // namespace kestro
