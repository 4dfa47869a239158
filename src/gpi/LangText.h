#pragma once
// A localized text: one entry per language, each a two-letter code and the
// text in that language, in the order the entries are written.
#include <vector>

#include "platform/Bytes.h"

namespace kestro {

// One language entry of a localized text; texts are bytes in the file's code page.
struct TGpiTextEntry {
    Bytes Language;
    Bytes Text;
};
using TGpiText = std::vector<TGpiTextEntry>;

}  // namespace kestro
