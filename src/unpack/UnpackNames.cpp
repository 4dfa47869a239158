#include "unpack/UnpackNames.h"

#include "platform/AsciiCase.h"
#include "unpack/PortableName.h"

namespace kestro {

namespace {

// Leaves room for an extension and a " (N)" suffix within the 255 bytes most
// file systems allow.
constexpr std::size_t MaxBaseBytes = 200;

// The listing ignores ASCII letter case; so must the test for taken names.
std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = LowerAscii(c);
    return out;
}

// Cuts UTF-8 text to at most `size` bytes without splitting a character.
std::string CutUtf8(const std::string& text, std::size_t size) {
    if (text.size() <= size) return text;
    std::size_t end = size;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::string SafeEntryName(const std::string& name, bool folder) {
    std::string safe;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const auto byte = static_cast<unsigned char>(c);
        // C1 controls (U+0080 to U+009F) are control bytes too, two in UTF-8.
        const bool c1 = byte == 0xC2 && i + 1 < name.size() && (static_cast<unsigned char>(name[i + 1]) & 0xE0) == 0x80;
        safe += (ForbiddenInFileName(c) || c1) ? '_' : c;
        if (c1) ++i;
    }
    for (char& c : safe) {
        if (c != '.' || !folder) break;
        c = '_';
    }
    safe = CutUtf8(safe, MaxBaseBytes);
    if (safe.empty()) safe = "unnamed";
    return WithPortableEnds(safe, folder);
}

void TNameAllotter::Reserve(const std::string& entry) { taken_.insert(Lower(entry)); }

bool TNameAllotter::Free(const std::string& base, const std::vector<std::string>& extensions) const {
    for (const auto& extension : extensions)
        if (taken_.count(Lower(base + extension)) != 0) return false;
    return true;
}

std::string TNameAllotter::Allot(const std::string& name, const std::vector<std::string>& extensions) {
    const bool folder = extensions.size() == 1 && extensions.front().empty();
    const std::string safe = SafeEntryName(name, folder);
    std::string base = safe;
    for (int n = 2; !Free(base, extensions); ++n) base = safe + " (" + std::to_string(n) + ")";
    for (const auto& extension : extensions) Reserve(base + extension);
    if (base != name) renamed_.push_back(TRenamedEntry{name, base});
    return base;
}

}  // namespace kestro
