#include "images/webp/WebpDecode.h"

#include <webp/decode.h>

namespace kestro::webp {

namespace {
const std::uint8_t* Data(const Bytes& content) { return reinterpret_cast<const std::uint8_t*>(content.data()); }
}  // namespace

bool Available() { return true; }

bool Info(const Bytes& content, std::uint32_t& width, std::uint32_t& height) {
    int w = 0, h = 0;
    if (WebPGetInfo(Data(content), content.size(), &w, &h) == 0 || w <= 0 || h <= 0) return false;
    width = static_cast<std::uint32_t>(w);
    height = static_cast<std::uint32_t>(h);
    return true;
}

bool Decode(const Bytes& content, TRgbaImage& image, std::string& reason) {
    if (!Info(content, image.Width, image.Height)) {
        reason = "header unreadable";
        return false;
    }
    const std::size_t stride = static_cast<std::size_t>(image.Width) * 4;
    image.Pixels.assign(stride * image.Height, 0);
    if (WebPDecodeRGBAInto(Data(content), content.size(), image.Pixels.data(), image.Pixels.size(), static_cast<int>(stride)) ==
        nullptr) {
        reason = "damaged";
        return false;
    }
    return true;
}

}  // namespace kestro::webp
