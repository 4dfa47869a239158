#pragma once
// One point of a GPI file as the waypoint that the converter turns back into it.
#include <string>
#include <vector>

#include "gpi/GpiReader.h"
#include "gpi/TextDecoder.h"
#include "sources/AlertDefaults.h"
#include "unpack/UnpackGpx.h"
#include "unpack/UnpackTally.h"

namespace kestro {

struct TPointLinks {
    std::string Icon;                 // href, empty when the point's icon comes from the file's name or it has none
    std::vector<std::string> Photos;  // hrefs, in the order of the image records
    std::string Sound;                // href, empty when the sound lies beside the file or there is none
    bool SoundServed = false;         // the alert's own sound comes back, linked or beside the file
};

// defaults: what the name of the point's file gives; languages: the file's
// (see FileLanguages). Icons, photos and the
// category are the caller's; everything else the point holds is written or counted.
TGpxWaypoint WaypointOf(const TGpiPoint& point, const TPointLinks& links, TAlertDefaults defaults,
                        const std::vector<Bytes>& languages, TTextDecoder& decoder, TUnpackTally& tally);

}  // namespace kestro
