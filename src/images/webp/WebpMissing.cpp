#include "images/webp/WebpDecode.h"

namespace kestro::webp {

bool Available() { return false; }

bool Info(const Bytes&, std::uint32_t&, std::uint32_t&) { return false; }

bool Decode(const Bytes&, TRgbaImage&, std::string& reason) {
    reason = "this build of the program does not read WebP pictures";
    return false;
}

}  // namespace kestro::webp
