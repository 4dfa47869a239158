#pragma once
// The kinds of picture files the program reads, told by their first bytes
// and by their names.
#include <string>

#include "platform/Bytes.h"

namespace kestro {

enum class TImageFormat { Unknown, Bmp, Png, Gif, Jpeg, Webp };

// By the signature at the start of content.
TImageFormat ImageFormatOf(const Bytes& content);
// By the lower-cased extension of path (".jpg" and ".jpeg" are JPEG).
TImageFormat ImageFormatOfName(const std::string& path);
// "BMP", "PNG", "GIF", "JPEG", "WebP"; "unknown".
const char* ImageFormatName(TImageFormat format);

}  // namespace kestro
