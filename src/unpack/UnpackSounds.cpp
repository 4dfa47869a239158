#include "unpack/UnpackSounds.h"

#include "gpi/SoundFile.h"

namespace kestro {

TUnpackSounds::TUnpackSounds(const TGpiGroup& group, const std::vector<Bytes>& languages, TUnpackTally& tally)
    : codes_(languages.empty() ? std::vector<Bytes>{"EN"} : languages), tally_(tally) {
    for (const auto& media : group.Media) {
        bool usable = (media.Format == 0 || media.Format == 1) && media.Entries.size() == codes_.size() &&
                      media.Number != 0 && usable_.count(media.Number) == 0;
        for (std::size_t i = 0; usable && i < codes_.size(); ++i) {
            const auto& entry = media.Entries[i];
            std::string refusal;
            const auto format = SoundFormatOf(entry.Data, refusal);
            usable = entry.Language == codes_[i] && entry.Data.size() == entry.Size && entry.Size <= SoundFileLimit &&
                     format && static_cast<std::uint8_t>(*format) == media.Format;
        }
        if (usable) usable_[media.Number].Media = &media;
        else tally_.Add("sounds kestro cannot write back (format, languages, or no WAV or MP3)");
    }
}

std::uint16_t TUnpackSounds::SoundOf(const TGpiPoint& point) const {
    const TGpiAlert* alert = point.Alert();
    if (alert == nullptr || !alert->CustomSound()) return 0;
    return usable_.count(alert->Sound()) != 0 ? alert->Sound() : 0;
}

std::string TUnpackSounds::PlainName(std::uint16_t number, const std::string& base) const {
    return base + (usable_.at(number).Media->Format == 1 ? ".mp3" : ".wav");
}

std::vector<std::pair<std::string, Bytes>> TUnpackSounds::Files(std::uint16_t number, const std::string& base) const {
    const TGpiMedia& media = *usable_.at(number).Media;
    const char* extension = media.Format == 1 ? ".mp3" : ".wav";
    std::vector<std::pair<std::string, Bytes>> files{{base + extension, media.Entries.front().Data}};
    for (std::size_t i = 1; i < media.Entries.size(); ++i)
        if (media.Entries[i].Data != media.Entries.front().Data)
            files.emplace_back(base + "." + std::string(codes_[i]) + extension, media.Entries[i].Data);
    return files;
}

void TUnpackSounds::Played(std::uint16_t number) {
    if (number == 0) return;
    auto& sound = usable_.at(number);
    if (!sound.Played) firstPlayed_.push_back(number);
    sound.Played = true;
}

std::vector<std::uint16_t> TUnpackSounds::Finish() {
    // kestro numbers from 1 in the order of first use, and writes the
    // records in number order.
    std::size_t renumbered = 0;
    std::uint16_t expected = 1;
    for (const std::uint16_t number : firstPlayed_)
        if (number != expected++) ++renumbered;
    std::vector<std::uint16_t> unplayed;
    for (const auto& [number, sound] : usable_)
        if (!sound.Played) unplayed.push_back(number);
    tally_.Add("sounds kestro numbers otherwise (in the order alerts first play them)", renumbered);
    tally_.Add("sounds no alert plays (written to the media folder, not linked)", unplayed.size());
    return unplayed;
}

}  // namespace kestro
