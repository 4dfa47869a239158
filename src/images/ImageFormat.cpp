#include "images/ImageFormat.h"

#include "platform/PathName.h"

namespace kestro {

namespace {
bool StartsWith(const Bytes& bytes, std::string_view prefix) { return bytes.compare(0, prefix.size(), prefix) == 0; }
}  // namespace

TImageFormat ImageFormatOf(const Bytes& content) {
    if (StartsWith(content, "BM")) return TImageFormat::Bmp;
    if (StartsWith(content, "\x89PNG\r\n\x1A\n")) return TImageFormat::Png;
    if (StartsWith(content, "GIF87a") || StartsWith(content, "GIF89a")) return TImageFormat::Gif;
    if (StartsWith(content, "\xFF\xD8\xFF")) return TImageFormat::Jpeg;
    if (content.size() >= 12 && StartsWith(content, "RIFF") && content.compare(8, 4, "WEBP") == 0) return TImageFormat::Webp;
    return TImageFormat::Unknown;
}

TImageFormat ImageFormatOfName(const std::string& path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".bmp") return TImageFormat::Bmp;
    if (extension == ".png") return TImageFormat::Png;
    if (extension == ".gif") return TImageFormat::Gif;
    if (extension == ".jpg" || extension == ".jpeg") return TImageFormat::Jpeg;
    if (extension == ".webp") return TImageFormat::Webp;
    return TImageFormat::Unknown;
}

const char* ImageFormatName(TImageFormat format) {
    switch (format) {
        case TImageFormat::Bmp: return "BMP";
        case TImageFormat::Png: return "PNG";
        case TImageFormat::Gif: return "GIF";
        case TImageFormat::Jpeg: return "JPEG";
        case TImageFormat::Webp: return "WebP";
        case TImageFormat::Unknown: break;
    }
    return "unknown";
}

}  // namespace kestro
