#include "gpi/Bitmap.h"

#include "diag/Exceptions.h"
#include "gpi/GpiUtil.h"
#include "images/IconImage.h"
#include "platform/FileRead.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

constexpr std::uint64_t PaletteOffset = 54;  // right after a 40-byte info header, whatever size the file gives
constexpr std::uint32_t HeaderSize = 36;
constexpr std::uint32_t RecordHeadSize = 8;
constexpr std::uint32_t ColourKey = TransparentColour;

// Bytes a short file does not have count as zeros.
Bytes ReadPadded(const TInputFile& file, std::uint64_t offset, std::size_t count) {
    Bytes bytes = file.ReadAt(offset, count);
    bytes.resize(count, '\0');
    return bytes;
}

std::uint32_t Word(const Bytes& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::uint32_t Dword(const Bytes& bytes, std::size_t at) { return Word(bytes, at) | Word(bytes, at + 2) << 16; }

// Header, rows top first and palette (red, green, blue, 0 per entry).
Bytes BitmapMain(std::uint16_t number, std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                 std::uint32_t bitsPerPixel, const Bytes& rowsTopFirst, const Bytes& palette) {
    const std::uint32_t pixelSize = stride * height;
    Bytes main = GpiWord(number) + GpiWord(height) + GpiWord(width) + GpiWord(stride) + GpiWord(bitsPerPixel) +
                 GpiWord(0);
    main += GpiDword(pixelSize);
    main += GpiDword(RecordHeadSize + HeaderSize);
    // The entries actually written: a device reads this many colours.
    main += GpiDword(static_cast<std::uint32_t>(palette.size() / 4));
    main += GpiDword(ColourKey);
    main += GpiDword(1);
    main += GpiDword(pixelSize + RecordHeadSize + HeaderSize);
    return main + rowsTopFirst + palette;
}

// Any picture the image room reads, of the format its name says.
Bytes ConvertedBitmap(const TInputFile& file, const std::string& path, std::uint16_t number, std::string& refusal,
                      std::string& note) {
    const Bytes content = file.ReadUpTo(MaxIconFileBytes + 1);
    if (content.size() > MaxIconFileBytes) {
        refusal = Format("more than %llu bytes", static_cast<unsigned long long>(MaxIconFileBytes));
        return Bytes();
    }
    const std::optional<TIndexedImage> icon = IconFromImage(content, ImageFormatOfName(path), refusal, note);
    return icon ? GpiBitmapOfIndexed(*icon, number) : Bytes();
}

}  // namespace

Bytes GpiBitmapOfContent(const Bytes& content, const std::string& name, std::uint16_t number, std::string& refusal,
                         std::string& note) {
    if (content.size() > MaxIconFileBytes) {
        refusal = Format("more than %llu bytes", static_cast<unsigned long long>(MaxIconFileBytes));
        return Bytes();
    }
    const std::optional<TIndexedImage> icon = IconFromImage(content, ImageFormatOfName(name), refusal, note);
    return icon ? GpiBitmapOfIndexed(*icon, number) : Bytes();
}

Bytes GpiBitmapOfIndexed(const TIndexedImage& icon, std::uint16_t number) {
    const std::uint32_t stride = (icon.Width + 3) & ~3u;
    Bytes rows;
    rows.reserve(static_cast<std::size_t>(stride) * icon.Height);
    for (std::uint32_t row = 0; row < icon.Height; ++row) {
        const auto* first = &icon.Indices[static_cast<std::size_t>(row) * icon.Width];
        rows.append(reinterpret_cast<const char*>(first), icon.Width);
        rows.append(stride - icon.Width, '\0');
    }
    Bytes palette;
    for (const std::uint32_t rgb : icon.Palette) {
        palette += static_cast<char>(rgb >> 16);
        palette += static_cast<char>(rgb >> 8);
        palette += static_cast<char>(rgb);
        palette += '\0';
    }
    return BitmapMain(number, icon.Width, icon.Height, stride, 8, rows, palette);
}

Bytes GpiBitmap(const std::string& path, std::uint16_t number) {
    std::string refusal;
    return GpiBitmap(path, number, refusal);
}

Bytes GpiBitmap(const std::string& path, std::uint16_t number, std::string& refusal) {
    std::string note;
    return GpiBitmap(path, number, refusal, note);
}

Bytes GpiBitmap(const std::string& path, std::uint16_t number, std::string& refusal, std::string& note) {
    refusal.clear();
    note.clear();
    auto refuse = [&refusal](std::string why) {
        refusal = std::move(why);
        return Bytes();
    };
    std::error_code error;
    const auto status = std::filesystem::status(PathFromUtf8(path), error);
    if (status.type() == std::filesystem::file_type::not_found) return Bytes();
    // A folder or a device is no icon file; a path that cannot even be
    // examined is left to the open, which reports why.
    if (!error && status.type() != std::filesystem::file_type::regular) return refuse("not a regular file");
    const TInputFile file(path);

    const TImageFormat named = ImageFormatOfName(path);
    if (file.ReadAt(0, 2) != "BM" || (named != TImageFormat::Bmp && named != TImageFormat::Unknown))
        return ConvertedBitmap(file, path, number, refusal, note);
    // File header and the first 40 bytes of the info header, offsets 0 to 53.
    const Bytes head = "BM" + ReadPadded(file, 2, PaletteOffset - 2);
    const std::uint32_t pixelOffset = Dword(head, 10);
    const std::uint32_t width = Dword(head, 18);
    const std::uint32_t height = Dword(head, 22);  // a top-down bitmap's negative height is huge here
    const std::uint32_t bitsPerPixel = Word(head, 28);
    const std::uint32_t compression = Dword(head, 30);
    std::int64_t colours = static_cast<std::int32_t>(Dword(head, 46));
    if (bitsPerPixel == 8 && colours == 0)
        colours = (static_cast<std::int64_t>(static_cast<std::int32_t>(pixelOffset)) - 54) / 4;

    // Other BMPs (other depths, compressed, top-down, larger) are converted like any picture.
    if (width > MaxIconSide || height > MaxIconSide || bitsPerPixel != 8 || compression != 0)
        return ConvertedBitmap(file, path, number, refusal, note);

    Bytes palette;
    if (colours >= 1 && colours <= 256) {
        const Bytes stored = ReadPadded(file, PaletteOffset, static_cast<std::size_t>(colours) * 4);
        for (std::size_t entry = 0; entry < stored.size(); entry += 4) {
            palette += stored[entry + 2];  // blue, green, red, reserved -> red, green, blue, 0
            palette += stored[entry + 1];
            palette += stored[entry];
            palette += '\0';
        }
    }

    const std::uint32_t stride = ((bitsPerPixel * width) / 8 + 3) & ~3u;
    const std::uint32_t pixelSize = stride * height;
    // The file stores the bottom row first; the record wants the top row first.
    const Bytes rows = ReadPadded(file, pixelOffset, pixelSize);
    Bytes topFirst;
    topFirst.reserve(pixelSize);
    for (std::uint32_t row = height; row-- > 0;) topFirst.append(rows, static_cast<std::size_t>(row) * stride, stride);
    return BitmapMain(number, width, height, stride, bitsPerPixel, topFirst, palette);
}

}  // namespace kestro
