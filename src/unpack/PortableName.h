#pragma once
// What a file or folder name must avoid so that the same unpacked tree can
// be written on Linux and on Windows: the characters either system refuses,
// names ending in a dot or a blank (Windows drops them), and device names.
#include <string>

namespace kestro {

// "/", "\", control bytes, and ? : * " < > | (a code page that could not
// hold a character wrote "?" in its place).
bool ForbiddenInFileName(char c);

// Device names whatever follows the stem: "CON", "nul.txt", "COM1 .gpx",
// "LPT¹"; letter case ignored.
bool IsDeviceName(const std::string& name);

// The name with its trailing dots and blanks replaced by "_" (for a folder,
// whose name is the whole entry) and a device stem followed by "_"
// ("CON.x" becomes "CON_.x").
std::string WithPortableEnds(const std::string& name, bool folder);

}  // namespace kestro
