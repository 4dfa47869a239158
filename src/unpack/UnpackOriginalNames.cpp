#include "unpack/UnpackOriginalNames.h"

#include "unpack/UnpackLanguages.h"

namespace kestro {

std::string OriginalNameSettings(const std::vector<Bytes>& languages, const std::vector<TRenamedEntry>& renamed,
                                 TUnpackTally& tally) {
    std::string lines;
    for (const auto& entry : renamed) {
        if (SettingsCanHold(entry.Written, entry.Original))
            lines += entry.Written + " = " + entry.Original + '\n';
        else
            tally.Add("names written differently that kestro.ini cannot hold (listed above: empty, blanks at either end, ...)");
    }
    if (lines.empty()) return lines;
    return "\n[" + (languages.empty() ? Bytes("EN") : languages.front()) + "]\n" + lines;
}

}  // namespace kestro
