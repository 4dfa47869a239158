#include "sources/SpeedSuffix.h"

#include "sources/NumberText.h"

namespace kestro {

std::size_t SpeedSuffixAt(std::string_view name) {
    for (auto at = name.find('@'); at != std::string_view::npos; at = name.find('@', at + 1)) {
        const std::string_view rest = name.substr(at + 1);
        if (StrToInt32(rest) || ReadDotNumber(rest)) return at;
    }
    return std::string_view::npos;
}

}  // namespace kestro
