#pragma once
// Notes about texts without a translation, over a whole run: the first few
// files (for the names in kestro.ini: groups) get a note each where they are
// read, the later ones one line at the end (a folder of 800 lists gave 800
// notes).
#include <cstddef>
#include <map>
#include <mutex>
#include <ostream>
#include <string>

namespace kestro {

// Per language code: how many texts lack a translation into it.
using TLanguageCounts = std::map<std::string, std::size_t>;

class TTranslationNotes {
public:
    // How many files, and how many groups, get a note of their own.
    static constexpr std::size_t ToldOneByOne = 3;

    enum class TKind {
        Texts,  // a file's texts (names, comments, ...) without their translation
        Names,  // a group's or category's name without its translation in kestro.ini
    };

    // Whether the note of one more file (Texts) or group (Names) is shown;
    // false when it is counted for the summary instead. Safe from any thread.
    bool Tell(TKind kind, const TLanguageCounts& missing);

    // For each kind with notes counted: "kestro: note: N more files have
    // texts without a translation (C into XX, ...); ...".
    void PrintSummary(std::ostream& err) const;

private:
    struct TTally {
        std::size_t Told = 0;
        std::size_t Counted = 0;  // files or groups beyond the ones told
        TLanguageCounts Missing;  // of the counted ones
    };

    mutable std::mutex mutex_;
    TTally texts_;  // under mutex_
    TTally names_;  // under mutex_
};

}  // namespace kestro
