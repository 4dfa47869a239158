#include "support/TestImages.h"

#include <array>

namespace kestro::test {

namespace {

void Put32Be(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}
void Put16Le(Bytes& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32Le(Bytes& out, std::uint32_t value) {
    Put16Le(out, value & 0xFFFF);
    Put16Le(out, value >> 16);
}

std::uint32_t Crc32(const Bytes& bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

Bytes Chunk(const char* type, const Bytes& data) {
    Bytes out;
    Put32Be(out, static_cast<std::uint32_t>(data.size()));
    const Bytes typed = type + data;
    out += typed;
    Put32Be(out, Crc32(typed));
    return out;
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes StoredZlib(const Bytes& data) {
    Bytes out("\x78\x01", 2);
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, data.size() - at);
        out += static_cast<char>(at + length == data.size() ? 1 : 0);
        Put16Le(out, static_cast<std::uint32_t>(length));
        Put16Le(out, static_cast<std::uint32_t>(~length & 0xFFFF));
        out.append(data, at, length);
        at += length;
    } while (at < data.size());
    std::uint32_t a = 1, b = 0;
    for (const char byte : data) {
        a = (a + static_cast<unsigned char>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    Put32Be(out, b << 16 | a);
    return out;
}

Bytes PngStart(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType) {
    Bytes header;
    Put32Be(header, width);
    Put32Be(header, height);
    header += static_cast<char>(bitDepth);
    header += static_cast<char>(colourType);
    header += Bytes(3, '\0');
    return Bytes("\x89PNG\r\n\x1A\n", 8) + Chunk("IHDR", header);
}

// Indices packed most significant bits first, each row padded to a byte.
Bytes PackedRow(const TIndexedPicture& picture, std::uint32_t y, int bits) {
    Bytes row((picture.Width * bits + 7) / 8, '\0');
    for (std::uint32_t x = 0; x < picture.Width; ++x) {
        const std::uint32_t bit = x * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        row[bit / 8] = static_cast<char>(static_cast<unsigned char>(row[bit / 8]) |
                                         (picture.Indices[static_cast<std::size_t>(y) * picture.Width + x] << shift));
    }
    return row;
}

}  // namespace

Bytes PngFile(const TPicture& picture, bool alpha) {
    Bytes raw;
    for (std::uint32_t y = 0; y < picture.Height; ++y) {
        raw += '\0';
        for (std::uint32_t x = 0; x < picture.Width; ++x) {
            const std::uint32_t p = picture.At(x, y);
            raw += static_cast<char>(p >> 16);
            raw += static_cast<char>(p >> 8);
            raw += static_cast<char>(p);
            if (alpha) raw += static_cast<char>(p >> 24);
        }
    }
    return PngStart(picture.Width, picture.Height, 8, alpha ? 6 : 2) + Chunk("IDAT", StoredZlib(raw)) + Chunk("IEND", "");
}

Bytes PalettePngFile(const TIndexedPicture& picture, int bitDepth) {
    Bytes palette, alphas;
    bool anyAlpha = false;
    for (const std::uint32_t entry : picture.Palette) {
        palette += static_cast<char>(entry >> 16);
        palette += static_cast<char>(entry >> 8);
        palette += static_cast<char>(entry);
        alphas += static_cast<char>(entry >> 24);
        anyAlpha = anyAlpha || (entry >> 24) != 0xFF;
    }
    Bytes raw;
    for (std::uint32_t y = 0; y < picture.Height; ++y) raw += '\0' + PackedRow(picture, y, bitDepth);
    Bytes file = PngStart(picture.Width, picture.Height, bitDepth, 3) + Chunk("PLTE", palette);
    if (anyAlpha) file += Chunk("tRNS", alphas);
    return file + Chunk("IDAT", StoredZlib(raw)) + Chunk("IEND", "");
}

Bytes PngFromRows(std::uint32_t width, std::uint32_t height, int colourType, const Bytes& raw) {
    return PngStart(width, height, 8, colourType) + Chunk("IDAT", StoredZlib(raw)) + Chunk("IEND", "");
}

Bytes PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    return PngStart(width, height, 8, 6) + Chunk("IDAT", StoredZlib(Bytes(16, '\0'))) + Chunk("IEND", "");
}

Bytes GifFile(const TIndexedPicture& picture, int transparentIndex) {
    int sizeBits = 1;
    while ((1u << sizeBits) < picture.Palette.size()) ++sizeBits;
    Bytes out = "GIF89a";
    Put16Le(out, picture.Width);
    Put16Le(out, picture.Height);
    out += static_cast<char>(0x80 | (sizeBits - 1));
    out += Bytes(2, '\0');
    for (std::uint32_t i = 0; i < (1u << sizeBits); ++i) {
        const std::uint32_t entry = i < picture.Palette.size() ? picture.Palette[i] : 0;
        out += static_cast<char>(entry >> 16);
        out += static_cast<char>(entry >> 8);
        out += static_cast<char>(entry);
    }
    if (transparentIndex >= 0) out += Bytes("\x21\xF9\x04\x01\x00\x00", 6) + static_cast<char>(transparentIndex) + '\0';
    out += '\x2C';
    Put16Le(out, 0);
    Put16Le(out, 0);
    Put16Le(out, picture.Width);
    Put16Le(out, picture.Height);
    out += '\0';
    // LZW without ever growing the code: a clear code before the table would need a wider one.
    const int minCode = std::max(2, sizeBits);
    const std::uint32_t clear = 1u << minCode, end = clear + 1;
    const int width = minCode + 1;
    Bytes data;
    std::uint32_t buffer = 0;
    int bits = 0;
    auto emit = [&](std::uint32_t code) {
        buffer |= code << bits;
        bits += width;
        while (bits >= 8) {
            data += static_cast<char>(buffer & 0xFF);
            buffer >>= 8;
            bits -= 8;
        }
    };
    std::uint32_t sinceClear = 0;
    emit(clear);
    for (const std::uint8_t index : picture.Indices) {
        if (sinceClear == clear - 2) {
            emit(clear);
            sinceClear = 0;
        }
        emit(index);
        ++sinceClear;
    }
    emit(end);
    if (bits > 0) data += static_cast<char>(buffer & 0xFF);
    out += static_cast<char>(minCode);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        out += static_cast<char>(length);
        out.append(data, at, length);
    }
    return out + '\0' + '\x3B';
}

namespace {
Bytes BmpHeaders(std::uint32_t width, std::uint32_t height, int bits, std::uint32_t paletteEntries, std::size_t pixelBytes) {
    const std::uint32_t offset = 54 + paletteEntries * 4;
    Bytes out = "BM";
    Put32Le(out, static_cast<std::uint32_t>(offset + pixelBytes));
    Put32Le(out, 0);
    Put32Le(out, offset);
    Put32Le(out, 40);
    Put32Le(out, width);
    Put32Le(out, height);
    Put16Le(out, 1);
    Put16Le(out, static_cast<std::uint32_t>(bits));
    Put32Le(out, 0);
    Put32Le(out, static_cast<std::uint32_t>(pixelBytes));
    Put32Le(out, 2835);
    Put32Le(out, 2835);
    Put32Le(out, paletteEntries);
    Put32Le(out, 0);
    return out;
}
}  // namespace

Bytes IndexedBmpFile(const TIndexedPicture& picture, int bits) {
    const std::size_t stride = ((picture.Width * bits + 31) / 32) * 4;
    Bytes pixels;
    for (std::uint32_t y = picture.Height; y-- > 0;) {
        Bytes row = PackedRow(picture, y, bits);
        row.resize(stride, '\0');
        pixels += row;
    }
    Bytes palette;
    for (const std::uint32_t entry : picture.Palette) {
        palette += static_cast<char>(entry);
        palette += static_cast<char>(entry >> 8);
        palette += static_cast<char>(entry >> 16);
        palette += '\0';
    }
    return BmpHeaders(picture.Width, picture.Height, bits, static_cast<std::uint32_t>(picture.Palette.size()), pixels.size()) +
           palette + pixels;
}

Bytes BmpFile(const TPicture& picture, int bits) {
    const std::size_t stride = ((picture.Width * bits + 31) / 32) * 4;
    Bytes pixels;
    for (std::uint32_t y = picture.Height; y-- > 0;) {
        Bytes row;
        for (std::uint32_t x = 0; x < picture.Width; ++x) {
            const std::uint32_t p = picture.At(x, y);
            row += static_cast<char>(p);
            row += static_cast<char>(p >> 8);
            row += static_cast<char>(p >> 16);
            if (bits == 32) row += static_cast<char>(p >> 24);
        }
        row.resize(stride, '\0');
        pixels += row;
    }
    return BmpHeaders(picture.Width, picture.Height, bits, 0, pixels.size()) + pixels;
}

TPicture SolidPicture(std::uint32_t width, std::uint32_t height, std::uint32_t argb) {
    return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, argb)};
}

TPicture DistinctColours(std::uint32_t width, std::uint32_t height) {
    TPicture picture{width, height, {}};
    for (std::uint32_t i = 0; i < width * height; ++i) {
        // Spread over the cube so that neighbours differ visibly.
        const std::uint32_t r = (i * 7) & 0xFF, g = (i * 13 + (i >> 8) * 61) & 0xFF, b = (i >> 8) * 17 + (i & 3) * 5;
        picture.Argb.push_back(0xFF000000u | r << 16 | g << 8 | (b & 0xFF));
    }
    return picture;
}

}  // namespace kestro::test
