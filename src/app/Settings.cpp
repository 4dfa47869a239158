#include "app/Settings.h"

#include <algorithm>
#include <filesystem>

#include "app/Credits.h"
#include "app/SettingsFile.h"
#include "platform/PathName.h"
#include "xml/XmlCodePage.h"

namespace kestro {

TRunSettings LoadSettings(const std::string& path) {
    std::string folder = path;
    std::error_code error;
    if (std::filesystem::is_regular_file(PathFromUtf8(path), error)) {
        const auto slash = path.find_last_of(PathSeparators);
        folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    const std::string file = folder + "kestro.ini";
    const TSettingsFile settings(ReadSettingsText(file).value_or(std::string()));
    TRunSettings run;
    run.MaxRegion = settings.ReadInteger("kestro", "maxregion", run.MaxRegion);
    run.CodePage = settings.ReadInteger("kestro", "codepage", run.CodePage);
    run.ReadCsvFiles = settings.ReadInteger("kestro", "csv", 1) != 0;
    run.ReadKmlFiles = settings.ReadInteger("kestro", "kml", 1) != 0;
    run.PhotoSize = static_cast<std::uint32_t>(std::max(0, settings.ReadInteger("kestro", "photosize", 0)));
    run.Languages = ReadLanguages(settings, file);
    run.Credits = ReadCredits(settings, run.Languages);
    return run;
}

void UseCodePage(const TRunSettings& settings) {
    XmlCodePage = static_cast<std::uint16_t>(static_cast<std::uint32_t>(settings.CodePage) & 0xFFFF);
}

}  // namespace kestro
