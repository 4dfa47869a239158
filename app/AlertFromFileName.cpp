#include "app/AlertFromFileName.h"

#include "gpx/GpxParser.h"
#include "gpx/NumberText.h"
#include "platform/PathName.h"

namespace kestro {

void AlertFromFileName(const std::string& fileName, TGpxParser& reader) {
    reader.AlertSpeed = -1;
    reader.AlertDistance = -1;
    const std::string base = BaseName(fileName);
    for (const char* word : {"GATSO", "mobile", "SPECS", "safety", "speed", "camera"})
        if (base.find(word) != std::string::npos) reader.AlertSpeed = 0;
    if (const auto underscore = base.find('_'); underscore != std::string::npos) {
        const auto speed = StrToInt32(std::string_view(base).substr(underscore + 1));
        if (speed && *speed >= 0) reader.AlertSpeed = *speed;
    }
    if (base.find("redlight") != std::string::npos) reader.AlertDistance = 400;
}

}  // namespace kestro
