#pragma once
// Saved documents, text or binary, go to files through here.
#include <string>
#include <string_view>

namespace kestro {

// Creates the file, or truncates an existing one in place, with the bytes;
// EFCreateError when it cannot be created, EWriteError when writing or
// closing fails. Messages name the file as given.
void WriteXmlFile(const std::string& fileName, std::string_view bytes);

}  // namespace kestro
