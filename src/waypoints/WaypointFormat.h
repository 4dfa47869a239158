#pragma once
// The shape every format reader has: it parses one file and hands each
// waypoint's fields to `take`, in file order; it knows no store, no thread
// and no output ordering. What it finds about the file as a whole goes to
// `findings` the moment it is found, so that it shows before the warnings
// of the waypoints that follow.
#include <cstdint>
#include <functional>
#include <string>

#include "waypoints/WaypointFields.h"

namespace kestro {

// Takes one waypoint; may raise to stop the reading (the exception leaves
// the reader unchanged).
using TWaypointTaker = std::function<void(TWaypointFields& waypoint)>;
// Now and then: the file's bytes read so far and its entries met so far.
using TReadProgress = std::function<void(std::uint64_t bytesRead, std::int32_t entries)>;

// What a reader says about the file it reads, beyond its waypoints.
class IFileFindings {
public:
    virtual ~IFileFindings() = default;
    // A warning about the file, told once per cause.
    virtual void Warning(const std::string& cause, const std::string& text) = 0;
    // Entries of a list that could not be read as waypoints: lost unless said.
    virtual void UnreadableLines(std::int64_t count) = 0;
    // The file is none of the reader's format; `start` is its first line
    // as a warning shows it (empty: the file is empty).
    virtual void NotOfTheFormat(const std::string& start) = 0;
    // Characters of the file's texts that the working code page cannot
    // hold and that became "?"; `first` is the first of them.
    virtual void ReplacedCharacters(std::int64_t count, char32_t first) = 0;
    // A note about the file, told once per cause.
    virtual void Note(const std::string& cause, const std::string& text) = 0;
};

// A format reader: returns the entries the file holds (its waypoints, or
// a list's data lines), whether or not they became waypoints.
using TWaypointFormat = std::function<std::int32_t(const std::string& path, const TWaypointTaker& take,
                                                    const TReadProgress& progress, IFileFindings& findings)>;

}  // namespace kestro
