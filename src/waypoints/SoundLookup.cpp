#include "waypoints/SoundLookup.h"

#include <optional>

#include "gpi/MediaRecord.h"
#include "gpi/SoundFile.h"
#include "platform/FolderListing.h"
#include "platform/PathName.h"
#include "platform/TerminalText.h"
#include "waypoints/WarningText.h"

namespace kestro {

namespace {

struct TClipFile {
    std::string Path;
    Bytes Content;
    TSoundFormat Format = TSoundFormat::Wav;
};

}  // namespace

std::string LanguageSoundPath(const std::string& path, const std::string& code) {
    const std::string extension = path.substr(ChangeExtension(path, "").size());
    return ChangeExtension(path, "") + "." + code + extension;
}

bool IsSoundLink(const std::string& path) {
    const std::string extension = LowerExtension(path);
    return extension == ".wav" || extension == ".mp3";
}

void TGroupSounds::Apply(const std::vector<TResolvedLink>& links, const std::string& listPath,
                         const std::vector<std::string>& languages, TPoiWpt& point, TGroupOutput& output) {
    std::uint16_t number = 0;
    bool linked = false;
    for (const auto& link : links) {
        const std::string& path = link.Path;
        if (!IsSoundLink(path)) continue;
        linked = true;
        number = NumberOf(path, true, listPath, languages, output);
        break;
    }
    // A linked sound that cannot serve leaves the point with the predefined
    // one, not with the list's: the waypoint asked for another.
    if (!linked) number = ListSound(listPath, languages, output);
    if (number == 0) return;
    point.Sound = number;
    if (!HasAlert(point)) point.AlertDistance = SoundAlertDistance;
}

std::uint16_t TGroupSounds::ListSound(const std::string& listPath, const std::vector<std::string>& languages,
                                      TGroupOutput& output) {
    if (const auto known = lists_.find(listPath); known != lists_.end()) return known->second;
    std::uint16_t number = NumberOf(ChangeExtension(listPath, ".wav"), false, listPath, languages, output);
    if (number == 0) number = NumberOf(ChangeExtension(listPath, ".mp3"), false, listPath, languages, output);
    lists_.emplace(listPath, number);
    return number;
}

std::uint16_t TGroupSounds::NumberOf(const std::string& path, bool warnMissing, const std::string& listPath,
                                     const std::vector<std::string>& languages, TGroupOutput& output) {
    if (const auto known = numbers_.find(path); known != numbers_.end()) return known->second;
    auto& number = numbers_[path];
    auto refuse = [&](const std::string& shownPath, const std::string& why) {
        const std::string shown = CutForWarning(shownPath);
        output.Warning(listPath, "sound " + shown, "sound " + shown + " not used: " + why);
        return std::uint16_t{0};
    };

    // The file of each language: its own beside the plain one, else the plain one.
    const std::vector<std::string> codes = languages.empty() ? std::vector<std::string>{"EN"} : languages;
    const bool plain = FileExists(path);
    std::vector<std::string> files;
    for (const auto& code : codes) {
        const std::string own = codes.size() > 1 ? LanguageSoundPath(path, code) : std::string();
        files.push_back(!own.empty() && FileExists(own) ? own : plain ? path : std::string());
    }
    std::string first;
    for (const auto& file : files)
        if (first.empty()) first = file;
    if (first.empty()) return warnMissing ? refuse(path, "no such file") : 0;
    for (auto& file : files)
        if (file.empty()) file = first;

    std::map<std::string, TClipFile> read;
    std::optional<TSoundFormat> format;
    for (const auto& file : files) {
        if (read.count(file) != 0) continue;
        TClipFile clip;
        clip.Path = file;
        std::string refusal;
        const auto made = ReadSoundFile(file, clip.Content, refusal);
        if (!made) return refuse(file, refusal);
        if (format && *format != *made)
            return refuse(file, std::string("a ") + SoundFormatName(static_cast<std::uint8_t>(*made)) +
                                    " file beside a " + SoundFormatName(static_cast<std::uint8_t>(*format)) +
                                    " file of the same sound");
        format = made;
        read.emplace(file, std::move(clip));
    }
    if (count_ >= Limit)
        return refuse(path, "a group can have at most " + std::to_string(Limit) + " sounds");

    std::vector<TMediaClip> clips;
    for (std::size_t i = 0; i < codes.size(); ++i) clips.push_back({codes[i], read.at(files[i]).Content});
    number = static_cast<std::uint16_t>(count_ + 1);
    records_ += GpiMediaRecord(number, *format, clips);
    ++count_;
    output.Lines() << "  Sound: " << TerminalText(first) << '\n';
    return number;
}

}  // namespace kestro
