#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <vector>

#include "gpi/GpiCheck.h"
#include "gpi/GpiUtil.h"

namespace kestro::fuzz {
namespace {

// TMPDIR when set, else the memory file system: truncating files on a disk
// mounted with "discard" costs milliseconds per run.
std::filesystem::path TemporaryFolder() {
    if (const char* folder = std::getenv("TMPDIR"); folder != nullptr && *folder != '\0') return folder;
    if (access("/dev/shm", W_OK | X_OK) == 0) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

struct TWorkFolder {
    TWorkFolder() {
        std::string pattern = (TemporaryFolder() / "kestro-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("kestro fuzz: cannot create a temporary folder");
            std::abort();
        }
        Path = pattern;
    }
    ~TWorkFolder() {
        std::error_code error;
        std::filesystem::remove_all(Path, error);
    }
    std::filesystem::path Path;
};

}  // namespace

const std::filesystem::path& WorkFolder() {
    static const TWorkFolder folder;
    return folder.Path;
}

void WriteFile(const std::filesystem::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "kestro fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

void EnterWorkFolder(int* argc, char*** argv) {
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    const std::filesystem::path start = std::filesystem::current_path();
    auto absolute = [&](const std::string& path) { return path.empty() ? path : (start / path).lexically_normal().string(); };
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string argument = (*argv)[i];
        if (i > 0 && argument.rfind('-', 0) != 0) {
            argument = absolute(argument);  // corpus folders and input files
        } else {
            for (const std::string flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict="}) {
                if (argument.rfind(flag, 0) != 0) continue;
                // A prefix may name a folder ("out/") or a file-name start ("out/crash-").
                const std::string value = argument.substr(flag.size());
                const bool folder = !value.empty() && value.back() == '/';
                argument = flag + absolute(value) + (folder ? "/" : "");
                artifactPrefix = artifactPrefix || flag == "-artifact_prefix=";
            }
        }
        texts.push_back(argument);
    }
    // Crash files go where the fuzzer was started, not into the work folder that is removed at exit.
    if (!artifactPrefix) texts.push_back("-artifact_prefix=" + start.string() + "/");
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(texts.size());
    *argv = pointers.data();
    if (chdir(WorkFolder().c_str()) != 0) {
        std::perror("kestro fuzz: cannot enter the work folder");
        std::abort();
    }
}

void SilenceStandardOutput() { std::cout.setstate(std::ios::badbit); }

Bytes SampleBitmap(int width, int height) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) + 3) & ~3u;
    const std::uint32_t pixelSize = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t colours = 4;
    const std::uint32_t pixelOffset = 54 + 4 * colours;
    Bytes bmp = "BM" + GpiDword(pixelOffset + pixelSize) + GpiDword(0) + GpiDword(pixelOffset);
    bmp += GpiDword(40) + GpiDword(static_cast<std::uint32_t>(width)) + GpiDword(static_cast<std::uint32_t>(height));
    bmp += GpiWord(1) + GpiWord(8) + GpiDword(0) + GpiDword(pixelSize) + GpiDword(2835) + GpiDword(2835);
    bmp += GpiDword(colours) + GpiDword(0);
    for (std::uint32_t i = 0; i < colours; ++i) bmp += GpiDword(0xFF00FF * i / 3);
    for (std::uint32_t i = 0; i < pixelSize; ++i) bmp += static_cast<char>(i % colours);
    return bmp;
}

void RequireCleanGpi(const Bytes& file) {
    const auto problems = CheckGpi(ParseGpi(file));
    if (problems.empty()) return;
    for (const auto& problem : problems) std::fprintf(stderr, "@0x%zX: %s\n", problem.Offset, problem.Text.c_str());
    std::fprintf(stderr, "kestro fuzz: the written GPI file is not clean\n");
    std::abort();
}

std::uint32_t InputHash(std::string_view input) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : input) hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace kestro::fuzz
