#pragma once
// Shared pieces of the fuzz targets. A target never formats an error report
// (naming stack frames is slow): it only catches the program's errors.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Bytes.h"

namespace kestro::fuzz {

// The fuzzer's input as bytes.
inline std::string_view Input(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process under the system's temporary folder, removed at exit.
const std::filesystem::path& WorkFolder();

// Makes the fuzzer's relative paths (corpus folders, input files, artifact
// prefix) absolute and enters the work folder, so relative links in inputs
// find the files placed there. Crash files go to the starting folder unless
// -artifact_prefix says otherwise. For LLVMFuzzerInitialize.
void EnterWorkFolder(int* argc, char*** argv);

// Replaces the file's content.
void WriteFile(const std::filesystem::path& path, std::string_view content);

// Progress lines of the conversion are not wanted while fuzzing.
void SilenceStandardOutput();

// A well-formed uncompressed, bottom-up, 8-bit BMP of the given size.
Bytes SampleBitmap(int width, int height);

// Ends the process when the file's checker finds problems, listing them.
void RequireCleanGpi(const Bytes& file);

// A cheap hash of the input, for choices that must stay the same for one input.
std::uint32_t InputHash(std::string_view input);

}  // namespace kestro::fuzz
