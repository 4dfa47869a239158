#include "images/ImageDecode.h"

#include <climits>

#include "diag/Exceptions.h"
#include "images/StbLibraries.h"
#include "images/webp/WebpDecode.h"

namespace kestro {

namespace {
std::uint32_t Byte(const Bytes& content, std::size_t at) { return static_cast<unsigned char>(content[at]); }
}  // namespace

namespace {
bool SizeWithReason(const Bytes& content, std::uint32_t& width, std::uint32_t& height, std::string& reason);
}  // namespace

bool ImageSize(const Bytes& content, std::uint32_t& width, std::uint32_t& height) {
    std::string reason;
    return SizeWithReason(content, width, height, reason);
}

namespace {
bool SizeWithReason(const Bytes& content, std::uint32_t& width, std::uint32_t& height, std::string& reason) {
    reason = "its size cannot be read";
    const TImageFormat format = ImageFormatOf(content);
    // Sizes the decoder would not even read, so that a refusal can tell them.
    if (format == TImageFormat::Png && content.size() >= 24 && content.compare(12, 4, "IHDR") == 0) {
        width = Byte(content, 16) << 24 | Byte(content, 17) << 16 | Byte(content, 18) << 8 | Byte(content, 19);
        height = Byte(content, 20) << 24 | Byte(content, 21) << 16 | Byte(content, 22) << 8 | Byte(content, 23);
        return width != 0 && height != 0;
    }
    if (format == TImageFormat::Gif && content.size() >= 10) {
        width = Byte(content, 6) | Byte(content, 7) << 8;
        height = Byte(content, 8) | Byte(content, 9) << 8;
        return width != 0 && height != 0;
    }
    if (format == TImageFormat::Webp) return webp::Info(content, width, height);
    if (format == TImageFormat::Unknown) return false;
    if (format == TImageFormat::Bmp && content.size() >= 34) {
        // Run-length and embedded JPEG or PNG pixels are kinds of BMP the decoder does not read.
        const std::uint32_t compression = Byte(content, 30) | Byte(content, 31) << 8 | Byte(content, 32) << 16 | Byte(content, 33) << 24;
        if (compression != 0 && compression != 3) {
            reason = "compressed with method " + std::to_string(compression);
            return false;
        }
    }
    int w = 0, h = 0;
    if (!stb::Info(content, w, h, reason)) {
        if (reason == "unknown image type") reason = "its header cannot be read";
        return false;
    }
    // A BMP stored top row first gives a negative height.
    if (format == TImageFormat::Bmp && h < 0 && h != INT_MIN) h = -h;
    if (w <= 0 || h <= 0) return false;
    width = static_cast<std::uint32_t>(w);
    height = static_cast<std::uint32_t>(h);
    return true;
}
// The most pixels one byte of a file of this format can hold, with room to
// spare over what its coding allows (a BMP's 1 bit a pixel, deflate's 1032
// to 1, an LZW code's 4096 pixels, a JPEG block's two bits); 0: not bounded.
std::uint64_t MostPixelsPerByte(TImageFormat format) {
    switch (format) {
        case TImageFormat::Bmp: return 8;
        case TImageFormat::Png: return 8 * 1032;
        case TImageFormat::Gif: return 4096;
        case TImageFormat::Jpeg: return 1024;
        default: return 0;
    }
}

}  // namespace

std::optional<TRgbaImage> DecodeImage(const Bytes& content, std::uint64_t maxPixels, std::string& refusal) {
    refusal.clear();
    const TImageFormat format = ImageFormatOf(content);
    if (format == TImageFormat::Unknown) {
        refusal = "not a BMP, PNG, GIF, JPEG or WebP picture";
        return std::nullopt;
    }
    const std::string name = ImageFormatName(format);
    if (format == TImageFormat::Webp && !webp::Available()) {
        refusal = "this build of the program does not read WebP pictures";
        return std::nullopt;
    }
    std::uint32_t width = 0, height = 0;
    std::string reason;
    if (!SizeWithReason(content, width, height, reason)) {
        refusal = "unreadable " + name + " file (" + reason + ")";
        return std::nullopt;
    }
    // The declared size decides before any pixel is made: a few bytes may declare a huge picture.
    if (static_cast<std::uint64_t>(width) * height > maxPixels) {
        refusal = Format("%u x %u pixels, more than the %llu this program reads", width, height,
                         static_cast<unsigned long long>(maxPixels));
        return std::nullopt;
    }
    // Nor may a few bytes declare more pixels than their format can pack into
    // them: such a file is damaged, and decoding it would cost time by the
    // declared size (a BMP reads its pixels as they are, at least one bit each).
    if (const std::uint64_t most = MostPixelsPerByte(format); most != 0 &&
        static_cast<std::uint64_t>(width) * height > content.size() * most) {
        refusal = Format("unreadable %s file (%zu bytes cannot hold %u x %u pixels)", name.c_str(), content.size(), width,
                         height);
        return std::nullopt;
    }
    // Decoders also size buffers from what the data claims (compressed rows, frames); none may pass this.
    const stb::TAllocationLimit limit(static_cast<std::size_t>(maxPixels * 8 + (1u << 20)));
    TRgbaImage image;
    const bool decoded = format == TImageFormat::Webp ? webp::Decode(content, image, reason) : stb::Decode(content, image, reason);
    if (!decoded) {
        refusal = "unreadable " + name + " file (" + reason + ")";
        return std::nullopt;
    }
    if (image.Width == 0 || image.Height == 0 || static_cast<std::uint64_t>(image.Width) * image.Height > maxPixels) {
        refusal = Format("%u x %u pixels, more than the %llu this program reads", image.Width, image.Height,
                         static_cast<unsigned long long>(maxPixels));
        return std::nullopt;
    }
    return image;
}

}  // namespace kestro
