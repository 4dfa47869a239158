#pragma once
// The alert that a category file's name gives the points of that file.
#include <cstdint>
#include <string>

namespace kestro {

struct TAlertDefaults {
    std::int32_t Speed = -1;     // km/h; -1 none
    std::int32_t Distance = -1;  // metres; -1 none
};

// "GATSO", "mobile", "SPECS", "safety", "speed" or "camera" give speed 0,
// "_" followed by a whole number gives that speed, "redlight" gives a
// distance of 400 m. fileName may hold a folder and an extension.
TAlertDefaults AlertDefaultsFromFileName(const std::string& fileName);

}  // namespace kestro
