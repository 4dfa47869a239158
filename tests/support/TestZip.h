#pragma once
// Zip archives for tests, written through the zip library's own writer.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestro::test {

struct TZipMember {
    std::string Name;     // as stored, "../x" and all
    std::string Content;
    std::uint64_t Blanks = 0;  // blanks after Content, written in blocks
    bool Stored = false;       // else deflated
};

// Writes an archive holding the members in order.
void WriteZip(const std::filesystem::path& path, const std::vector<TZipMember>& members);

}  // namespace kestro::test
