#pragma once
// Saved documents go to files through here.
#include <string>
#include <string_view>

namespace kestro {

// Creates or replaces the file with the bytes; EFCreateError when it cannot
// be created, EWriteError when writing or closing fails.
void WriteXmlFile(const std::string& fileName, std::string_view bytes);

}  // namespace kestro
