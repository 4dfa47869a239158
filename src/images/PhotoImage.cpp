#include "images/PhotoImage.h"

#include "images/IconImage.h"
#include "images/ImageDecode.h"
#include "images/StbLibraries.h"

namespace kestro {

std::optional<Bytes> PhotoAsJpeg(const Bytes& content, TImageFormat named, std::uint32_t maxSide, std::string& refusal,
                                 std::uint64_t maxPixels) {
    refusal = WrongFormat(content, named);
    if (!refusal.empty()) return std::nullopt;
    if (ImageFormatOf(content) == TImageFormat::Jpeg) {
        std::uint32_t width = 0, height = 0;
        if (maxSide == 0) return content;
        if (!ImageSize(content, width, height)) {
            refusal = "unreadable JPEG file (its size cannot be read)";
            return std::nullopt;
        }
        if (width <= maxSide && height <= maxSide) return content;
    }
    std::optional<TRgbaImage> image = DecodeImage(content, maxPixels, refusal);
    if (!image) return std::nullopt;
    // JPEG has no transparency: what was see-through shows on white.
    for (std::size_t at = 0; at < image->Pixels.size(); at += 4) {
        const unsigned alpha = image->Pixels[at + 3];
        for (int c = 0; c < 3; ++c)
            image->Pixels[at + c] = static_cast<std::uint8_t>((image->Pixels[at + c] * alpha + 255 * (255 - alpha) + 127) / 255);
        image->Pixels[at + 3] = 255;
    }
    if (maxSide != 0) {
        std::uint32_t width = 0, height = 0;
        FitInside(image->Width, image->Height, maxSide, width, height);
        if (width != image->Width || height != image->Height) {
            TRgbaImage scaled;
            if (!stb::Resize(*image, width, height, scaled)) {
                refusal = "could not be scaled down";
                return std::nullopt;
            }
            image = std::move(scaled);
        }
    }
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(image->Width) * image->Height * 3);
    for (std::size_t at = 0; at < image->Pixels.size(); at += 4) rgb.insert(rgb.end(), &image->Pixels[at], &image->Pixels[at + 3]);
    Bytes jpeg = stb::EncodeJpeg(rgb, image->Width, image->Height, PhotoJpegQuality);
    if (jpeg.empty()) {
        refusal = "could not be encoded as JPEG";
        return std::nullopt;
    }
    return jpeg;
}

}  // namespace kestro
