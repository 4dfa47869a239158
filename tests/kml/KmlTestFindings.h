#pragma once
// What a KML reader hands over, written down for the tests.
#include <string>
#include <vector>

#include "waypoints/WaypointFormat.h"

namespace kestro::test {

// Findings as text, one line each, in order.
class TKmlFindings final : public IFileFindings {
public:
    void Warning(const std::string& cause, const std::string& text) override { Text += "warning " + cause + ": " + text + "\n"; }
    void UnreadableLines(std::int64_t count) override { Text += "unreadable " + std::to_string(count) + "\n"; }
    void NotOfTheFormat(const std::string& start) override { Text += "not of the format: " + start + "\n"; }
    void ReplacedCharacters(std::int64_t count, char32_t) override {
        if (count > 0) Text += "replaced " + std::to_string(count) + "\n";
    }
    void Note(const std::string& cause, const std::string& text) override { Text += "note " + cause + ": " + text + "\n"; }
    std::string Text;
};

}  // namespace kestro::test
