#include "sources/AlertDefaults.h"

#include "platform/PathName.h"
#include "sources/NumberText.h"

namespace kestro {

TAlertDefaults AlertDefaultsFromFileName(const std::string& fileName) {
    TAlertDefaults defaults;
    const std::string base = BaseName(fileName);
    for (const char* word : {"GATSO", "mobile", "SPECS", "safety", "speed", "camera"})
        if (base.find(word) != std::string::npos) defaults.Speed = 0;
    if (const auto underscore = base.find('_'); underscore != std::string::npos) {
        const auto speed = StrToInt32(std::string_view(base).substr(underscore + 1));
        if (speed && *speed >= 0) defaults.Speed = *speed;
    }
    if (base.find("redlight") != std::string::npos) defaults.Distance = 400;
    return defaults;
}

}  // namespace kestro
