#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace kestro::test {

Bytes Hex(const std::string& text) {
    Bytes out;
    int nibbles = 0;
    unsigned value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else continue;
        value = value * 16 + static_cast<unsigned>(digit);
        if (++nibbles == 2) {
            out.push_back(static_cast<char>(value));
            nibbles = 0;
            value = 0;
        }
    }
    if (nibbles != 0) throw std::invalid_argument("odd number of hex digits: " + text);
    return out;
}

std::string ToHex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (;;) {
        auto candidate = std::filesystem::temp_directory_path() / ("kestro-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& path, const Bytes& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

ProcessResult RunKestro(const std::string& arguments) {
    const char* binary = std::getenv("KESTRO_BINARY");
    if (binary == nullptr) throw std::runtime_error("KESTRO_BINARY is not set");
    return RunCommand(ShellQuote(binary) + " " + arguments);
}

std::filesystem::path SourceDir() { return KESTRO_SOURCE_DIR; }

std::filesystem::path SharedDir() {
    const char* shared = std::getenv("KESTRO_SHARED");
    return shared != nullptr && shared[0] != '\0' ? std::filesystem::path(shared) : SourceDir().parent_path() / "shared";
}

std::filesystem::path TSharedDataTest::PeerGpiFolder() { return SharedDir() / "data" / "peer" / "gpi"; }

void TSharedDataTest::SetUp() {
    if (std::filesystem::is_directory(PeerGpiFolder())) return;
    const char* require = std::getenv("KESTRO_REQUIRE_SHARED");
    const std::string reason = PeerGpiFolder().string() + " is missing (set KESTRO_SHARED to the shared material folder)";
    if (require != nullptr && std::string(require) == "1") FAIL() << reason << "; KESTRO_REQUIRE_SHARED=1 makes this a failure";
    GTEST_SKIP() << reason;
}

}  // namespace kestro::test
