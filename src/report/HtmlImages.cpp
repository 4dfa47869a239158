#include "report/HtmlImages.h"

#include <algorithm>
#include <cstdint>

#include "platform/Base64.h"

namespace kestro {

namespace {

constexpr std::size_t MaxIconSide = 1024;

void PutWord(Bytes& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}
void PutDword(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool StartsWith(const Bytes& bytes, std::string_view prefix) { return bytes.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

std::optional<Bytes> BitmapAsBmp(const TGpiBitmap& bitmap) {
    const std::size_t width = bitmap.Width, height = bitmap.Height;
    if (bitmap.BitsPerPixel != 8 || width == 0 || height == 0 || width > MaxIconSide || height > MaxIconSide) return std::nullopt;
    // The header's offsets count from the record's first byte; the body follows its 8-byte head and the 36-byte header.
    constexpr std::size_t BodyStart = 44;
    const Bytes& body = bitmap.Body;
    if (bitmap.PixelOffset < BodyStart || bitmap.PaletteOffset < BodyStart) return std::nullopt;
    const std::size_t pixels = bitmap.PixelOffset - BodyStart;
    // Rows that are not all in the record give no icon: a picture is never larger than what it is made of.
    if (bitmap.Stride < width || pixels + bitmap.Stride * (height - 1) + width > body.size()) return std::nullopt;
    const std::size_t palette = std::min<std::size_t>(bitmap.PaletteOffset - BodyStart, body.size());
    const std::size_t paletteEntries = std::min<std::size_t>((body.size() - palette) / 4, 256);

    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width * height * 4);
    constexpr std::uint32_t FileHeaderSize = 14, InfoHeaderSize = 108;  // BITMAPV4HEADER: colour masks with alpha
    Bytes out = "BM";
    PutDword(out, FileHeaderSize + InfoHeaderSize + pixelBytes);
    PutDword(out, 0);
    PutDword(out, FileHeaderSize + InfoHeaderSize);
    PutDword(out, InfoHeaderSize);
    PutDword(out, static_cast<std::uint32_t>(width));
    PutDword(out, static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)));  // negative: top row first
    PutWord(out, 1);
    PutWord(out, 32);
    PutDword(out, 3);  // bit fields
    PutDword(out, pixelBytes);
    PutDword(out, 2835);  // 72 dots per inch
    PutDword(out, 2835);
    PutDword(out, 0);
    PutDword(out, 0);
    PutDword(out, 0x00FF0000);
    PutDword(out, 0x0000FF00);
    PutDword(out, 0x000000FF);
    PutDword(out, 0xFF000000);
    PutDword(out, 0x73524742);  // "sRGB"
    out.append(48, '\0');       // end points and gamma, unused with sRGB
    for (std::size_t row = 0; row < height; ++row) {
        for (std::size_t column = 0; column < width; ++column) {
            const std::size_t index = static_cast<unsigned char>(body[pixels + row * bitmap.Stride + column]);
            std::uint32_t argb = 0;  // transparent
            if (index < paletteEntries) {
                const std::size_t entry = palette + 4 * index;
                const std::uint32_t red = static_cast<unsigned char>(body[entry]);
                const std::uint32_t green = static_cast<unsigned char>(body[entry + 1]);
                const std::uint32_t blue = static_cast<unsigned char>(body[entry + 2]);
                // The key is stored as the palette entry's bytes red, green, blue, 0.
                if ((red | green << 8 | blue << 16) != bitmap.ColourKey) argb = 0xFF000000 | red << 16 | green << 8 | blue;
            }
            PutDword(out, argb);
        }
    }
    return out;
}

std::optional<Bytes> ImageBytes(const TGpiImage& image) {
    if (image.Data.size() != image.Size) return std::nullopt;
    return image.Data;
}

std::string ImageDataUri(const Bytes& bytes) {
    const char* type = StartsWith(bytes, "\xFF\xD8\xFF") ? "image/jpeg"
                       : StartsWith(bytes, "\x89PNG\r\n\x1A\n") ? "image/png"
                       : StartsWith(bytes, "GIF8")              ? "image/gif"
                       : StartsWith(bytes, "BM")                ? "image/bmp"
                                                                : nullptr;
    return type == nullptr ? std::string() : std::string("data:") + type + ";base64," + EncodeBase64(bytes);
}

}  // namespace kestro
