#pragma once
// A text in several languages: one entry per language, each a two-letter
// code and the text in that language, in the order the entries are written.
// The one shape of such a text from the readers through the point and the
// encoder to the GPI reader and the unpacker.
#include <vector>

#include "platform/Bytes.h"

namespace kestro {

// One language entry of a localized text; texts are bytes in the file's code
// page (XML text in the unpacker's GPX waypoint).
struct TGpiTextEntry {
    Bytes Language;
    Bytes Text;
};
using TGpiText = std::vector<TGpiTextEntry>;

}  // namespace kestro
