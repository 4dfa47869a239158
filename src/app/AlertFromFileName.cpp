#include "app/AlertFromFileName.h"

#include "gpx/GpxParser.h"
#include "sources/AlertDefaults.h"

namespace kestro {

void AlertFromFileName(const std::string& fileName, TGpxParser& reader) {
    const TAlertDefaults defaults = AlertDefaultsFromFileName(fileName);
    reader.AlertSpeed = defaults.Speed;
    reader.AlertDistance = defaults.Distance;
}

}  // namespace kestro
