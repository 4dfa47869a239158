#include "images/IconImage.h"

#include <algorithm>
#include <cmath>

#include "diag/Exceptions.h"
#include "images/ImageDecode.h"
#include "images/StbLibraries.h"

namespace kestro {

std::string WrongFormat(const Bytes& content, TImageFormat named) {
    const TImageFormat actual = ImageFormatOf(content);
    if (named == TImageFormat::Unknown || actual == named) return std::string();
    std::string text = std::string("not a ") + ImageFormatName(named) + " file";
    if (actual != TImageFormat::Unknown) text += std::string(" but a ") + ImageFormatName(actual) + " picture";
    return text;
}

void FitInside(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide, std::uint32_t& fitWidth,
               std::uint32_t& fitHeight) {
    if (width <= maxSide && height <= maxSide) {
        fitWidth = width;
        fitHeight = height;
        return;
    }
    const double scale = static_cast<double>(maxSide) / std::max(width, height);
    fitWidth = std::clamp<std::uint32_t>(static_cast<std::uint32_t>(std::lround(width * scale)), 1, maxSide);
    fitHeight = std::clamp<std::uint32_t>(static_cast<std::uint32_t>(std::lround(height * scale)), 1, maxSide);
}

std::optional<TIndexedImage> IconFromImage(const Bytes& content, TImageFormat named, std::string& refusal, std::string& note,
                                           std::uint64_t maxPixels) {
    note.clear();
    refusal = WrongFormat(content, named);
    if (!refusal.empty()) return std::nullopt;
    std::optional<TRgbaImage> image = DecodeImage(content, maxPixels, refusal);
    if (!image) return std::nullopt;
    std::uint32_t width = 0, height = 0;
    FitInside(image->Width, image->Height, MaxIconSide, width, height);
    if (width != image->Width || height != image->Height) {
        TRgbaImage scaled;
        if (!stb::Resize(*image, width, height, scaled)) {
            refusal = "could not be scaled down";
            return std::nullopt;
        }
        note = Format("%u x %u pixels, scaled down to %u x %u", image->Width, image->Height, width, height);
        image = std::move(scaled);
    }
    return IndexColours(*image);
}

}  // namespace kestro
