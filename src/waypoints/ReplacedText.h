#pragma once
// Text of a file that the code page could not hold: a warning per file and a
// count for the end of the run, so that "????????" names are never unsaid.
#include <cstdint>
#include <string>

namespace kestro {

class TGroupOutput;

// Warns of `count` characters of `file`'s text (or of its name as a group or
// category name) that became "?" (none: nothing) and records them for the summary.
void TellReplacedCharacters(TGroupOutput& output, const std::string& file, std::int64_t count, char32_t first,
                            std::int32_t codePage, bool inName = false);

// The characters of `utf8` that became "?" in `converted`, its text in
// `codePage`; `first` gets the first of them.
std::int64_t ReplacedIn(const std::string& utf8, const std::string& converted, std::int32_t codePage, char32_t& first);

}  // namespace kestro
