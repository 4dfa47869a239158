#pragma once
#include <string>

namespace kestro {

class TGpxParser;

// The alert defaults of a category file, from its name: "GATSO", "mobile",
// "SPECS", "safety", "speed" or "camera" give speed 0, "_" followed by a
// whole number gives that speed, "redlight" gives a distance of 400 m.
void AlertFromFileName(const std::string& fileName, TGpxParser& reader);

}  // namespace kestro
