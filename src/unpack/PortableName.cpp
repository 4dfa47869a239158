#include "unpack/PortableName.h"

#include <array>
#include <string_view>

#include "platform/AsciiCase.h"

namespace kestro {

namespace {

bool TrailingDotOrBlank(char c) { return c == '.' || c == ' '; }

// The part of the name Windows compares with the device names: up to the
// first dot, trailing blanks dropped.
std::string_view DeviceStem(const std::string& name) {
    std::string_view stem(name);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    return stem;
}

}  // namespace

bool ForbiddenInFileName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || std::string_view("/\\?:*\"<>|").find(c) != std::string_view::npos;
}

bool IsDeviceName(const std::string& name) {
    std::string stem(DeviceStem(name));
    for (char& c : stem) c = LowerAscii(c);
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
        if (stem == device) return true;
    if (stem.size() < 4 || (stem.rfind("com", 0) != 0 && stem.rfind("lpt", 0) != 0)) return false;
    const std::string_view number = std::string_view(stem).substr(3);
    // Digits, and the superscripts one to three (UTF-8 C2 B9, C2 B2, C2 B3).
    static constexpr std::array<std::string_view, 13> Numbers{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                                              "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    for (const auto& n : Numbers)
        if (number == n) return true;
    return false;
}

std::string WithPortableEnds(const std::string& name, bool folder) {
    std::string out = name;
    if (folder)
        for (auto c = out.rbegin(); c != out.rend() && TrailingDotOrBlank(*c); ++c) *c = '_';
    if (IsDeviceName(out)) out.insert(DeviceStem(out).size(), "_");
    return out;
}

}  // namespace kestro
