#include "app/AlertFromFileName.h"

#include "gpx/AlertDefaults.h"
#include "gpx/GpxParser.h"

namespace kestro {

void AlertFromFileName(const std::string& fileName, TGpxParser& reader) {
    const TAlertDefaults defaults = AlertDefaultsFromFileName(fileName);
    reader.AlertSpeed = defaults.Speed;
    reader.AlertDistance = defaults.Distance;
}

}  // namespace kestro
