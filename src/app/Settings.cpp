#include "app/Settings.h"

#include <algorithm>
#include <filesystem>

#include "app/RunState.h"
#include "app/SettingsFile.h"
#include "sources/AreaRules.h"
#include "xml/XmlCodePage.h"
#include "platform/PathName.h"

namespace kestro {

namespace {
// The code page every device reads.
constexpr std::int32_t DefaultCodePage = 1252;
}  // namespace

void LoadSettings(const std::string& path) {
    std::string folder = path;
    std::error_code error;
    if (std::filesystem::is_regular_file(PathFromUtf8(path), error)) {
        const auto slash = path.find_last_of(PathSeparators);
        folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    const std::string file = folder + "kestro.ini";
    const TSettingsFile settings(ReadSettingsText(file).value_or(std::string()));
    MaxRegion = settings.ReadInteger("kestro", "maxregion", DefaultMaxRegion);
    CodePage = settings.ReadInteger("kestro", "codepage", DefaultCodePage);
    ReadCsvFiles = settings.ReadInteger("kestro", "csv", 1) != 0;
    PhotoSize = static_cast<std::uint32_t>(std::max(0, settings.ReadInteger("kestro", "photosize", 0)));
    XmlCodePage = static_cast<std::uint16_t>(static_cast<std::uint32_t>(CodePage) & 0xFFFF);
    Languages = ReadLanguages(settings, file);
}

}  // namespace kestro
