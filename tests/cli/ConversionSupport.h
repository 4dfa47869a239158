#pragma once
// Helpers of the end-to-end conversion tests: GPX and BMP files written into
// temporary source folders, a run of the real program, and the written file
// parsed back (and checked with kestro-dump --check) for assertions on its
// records and bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "gpi/GpiReader.h"
#include "gpi/GpiUtil.h"
#include "support/TestSupport.h"

namespace kestro::conversion_test {

namespace fs = std::filesystem;
using test::Hex;
using test::ReadFile;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;
using test::ToHex;
using test::WriteFile;

inline const std::string Banner =
    "Kestro 1.2.0 (c) Kestro developers\n"
    "  Translating set of GPX files into one GPI file.\n"
    "\n"
    "Usage: kestro <source_path> <destination_file>\n"
    "\n";

inline std::string Q(const fs::path& path) { return ShellQuote(path.string()); }

inline fs::path KestroBinary() {
    const char* binary = std::getenv("KESTRO_BINARY");
    if (binary == nullptr) throw std::runtime_error("KESTRO_BINARY is not set");
    return binary;
}

// kestro-dump is built beside the program.
inline fs::path DumpBinary() { return KestroBinary().parent_path() / "kestro-dump"; }

// A GPX 1.1 document with the Garmin extension namespace around the body.
inline std::string Gpx(const std::string& body, const std::string& encoding = "UTF-8") {
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
           "xmlns:gpxx=\"http://www.garmin.com/xmlschemas/GpxExtensions/v3\">\n" +
           body + "</gpx>\n";
}

inline std::string Wpt(const std::string& lat, const std::string& lon, const std::string& inner) {
    return " <wpt lat=\"" + lat + "\" lon=\"" + lon + "\">" + inner + "</wpt>\n";
}

inline std::string Named(const std::string& lat, const std::string& lon, const std::string& name,
                         const std::string& more = "") {
    return Wpt(lat, lon, "<name>" + name + "</name>" + more);
}

inline std::string Link(const std::string& href) { return "<link href=\"" + href + "\"/>"; }

inline std::string WaypointExtension(const std::string& inner) {
    return "<extensions><gpxx:WaypointExtension>" + inner + "</gpxx:WaypointExtension></extensions>";
}

// An uncompressed 8-bit BMP, bottom-up, 256 palette entries; every pixel
// holds `colour`.
inline Bytes Bmp(std::uint32_t width, std::uint32_t height, std::uint8_t colour = 1, std::uint16_t bits = 8) {
    const std::uint32_t stride = (width + 3) / 4 * 4;
    const std::uint32_t pixelOffset = 54 + 1024;
    Bytes info = GpiDword(40) + GpiDword(width) + GpiDword(height) + GpiWord(1) + GpiWord(bits) + GpiDword(0) +
                 GpiDword(stride * height) + GpiDword(2835) + GpiDword(2835) + GpiDword(0) + GpiDword(0);
    Bytes palette;
    for (int i = 0; i < 256; ++i) palette += GpiDword(static_cast<std::uint32_t>(i * 0x010101));
    const Bytes pixels(stride * height, static_cast<char>(colour));
    return "BM" + GpiDword(pixelOffset + stride * height) + GpiDword(0) + GpiDword(pixelOffset) + info + palette +
           pixels;
}

// The whole record that starts at offset: envelope, main and extra part.
inline Bytes RecordAt(const Bytes& bytes, std::size_t offset) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(i))); };
    const std::uint32_t flags = byte(offset + 2) | byte(offset + 3) << 8;
    const std::uint32_t length = byte(offset + 4) | byte(offset + 5) << 8 | byte(offset + 6) << 16 | byte(offset + 7) << 24;
    return bytes.substr(offset, 8 + (flags == 8 ? 4 : 0) + length);
}

// The first text of a localized string.
inline Bytes TextOf(const TGpiText& text) { return text.empty() ? Bytes() : text.front().Text; }

struct TPointIn {
    std::size_t Group = 0;  // 0-based
    const TGpiPoint* Point = nullptr;
};

inline void CollectPoints(const TGpiArea& area, std::size_t group, std::vector<TPointIn>& out) {
    for (const auto& point : area.Points) out.push_back({group, &point});
    for (const auto& child : area.Areas) CollectPoints(child, group, out);
}

struct TConversion {
    int ExitCode = -1;
    std::string Output;  // after the banner
    Bytes Written;
    TGpiFile File;

    std::vector<TPointIn> Points() const {
        std::vector<TPointIn> points;
        for (std::size_t g = 0; g < File.Groups.size(); ++g)
            if (File.Groups[g].Root) CollectPoints(*File.Groups[g].Root, g, points);
        return points;
    }
    // The point of that name (exactly one must exist).
    const TGpiPoint& Point(const Bytes& name) const {
        const TGpiPoint* found = nullptr;
        for (const auto& p : Points())
            if (TextOf(p.Point->Name) == name) {
                if (found != nullptr) throw std::runtime_error("two points named " + name);
                found = p.Point;
            }
        if (found == nullptr) throw std::runtime_error("no point named " + name + "\n" + Output);
        return *found;
    }
    // The bytes of that point's whole record.
    Bytes PointRecord(const Bytes& name) const { return RecordAt(Written, Point(name).Offset); }
    std::vector<Bytes> GroupNames() const {
        std::vector<Bytes> names;
        for (const auto& group : File.Groups) names.push_back(TextOf(group.Name));
        return names;
    }
};

// kestro-dump --check on a file the program wrote completely must be clean.
inline void ExpectDumpCheckClean(const fs::path& file) {
    const auto check = RunCommand(Q(DumpBinary()) + " --check " + Q(file));
    EXPECT_EQ(check.ExitCode, 0) << check.Output;
    EXPECT_EQ(check.Output, "No problems found.\n") << file;
}

// The time stamp of the header record: bytes 16 to 19, or 20 to 23 when
// the record has an extra part (a file with credits).
inline Bytes WithoutStamp(const Bytes& bytes) {
    Bytes stampless = bytes;
    const std::size_t at = bytes.size() > 2 && (bytes[2] & 8) != 0 ? 20 : 16;
    if (stampless.size() >= at + 4) stampless.replace(at, 4, 4, '\0');
    return stampless;
}

// kestro-dump --unpack, then kestro run from inside the unpacked folder with
// the same output name: the bytes come back, time stamp aside.
inline void ExpectUnpackRoundTrip(const fs::path& gpi) {
    TempDir t;
    const auto unpack = RunCommand(Q(DumpBinary()) + " --unpack " + Q(t / "u") + " " + Q(gpi));
    ASSERT_EQ(unpack.ExitCode, 0) << gpi << "\n" << unpack.Output;
    const auto again = RunCommand("cd " + Q(t / "u") + " && " + Q(KestroBinary()) + " . ../" + Q(gpi.filename()));
    ASSERT_EQ(again.ExitCode, 0) << again.Output;
    const Bytes original = ReadFile(gpi);
    const Bytes rebuilt = ReadFile(t / gpi.filename().string());
    EXPECT_TRUE(WithoutStamp(original) == WithoutStamp(rebuilt))
        << gpi << " differs after unpacking, " << original.size() << " and " << rebuilt.size() << " bytes\n"
        << unpack.Output;
}

// Runs the program on source with the working folder workDir (relative links
// resolve there; default: the source's parent) and reads what it wrote. A
// complete output is checked with kestro-dump --check.
inline TConversion Convert(const fs::path& source, const fs::path& workDir = {}) {
    const fs::path destination = source.parent_path() / (source.filename().string() + ".gpi");
    const fs::path cwd = workDir.empty() ? source.parent_path() : workDir;
    const auto run = RunCommand("cd " + Q(cwd) + " && " + Q(KestroBinary()) + " " +
                                Q(fs::relative(source, cwd)) + " " + Q(destination));
    TConversion conversion;
    conversion.ExitCode = run.ExitCode;
    conversion.Output = run.Output.rfind(Banner, 0) == 0 ? run.Output.substr(Banner.size()) : run.Output;
    if (fs::exists(destination)) {
        conversion.Written = ReadFile(destination);
        conversion.File = ParseGpi(conversion.Written);
        if (run.ExitCode == 0) {
            ExpectDumpCheckClean(destination);
            ExpectUnpackRoundTrip(destination);
        }
    }
    return conversion;
}

// Lines of a program output that start with the prefix.
inline std::vector<std::string> LinesStarting(const std::string& output, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

// Types of a point's sub-records, in file order.
inline std::vector<std::uint16_t> PartTypes(const TGpiPoint& point) {
    std::vector<std::uint16_t> types;
    for (const auto& part : point.Parts) types.push_back(PartType(part));
    return types;
}

template <class T>
const T* FindPart(const TGpiPoint& point) {
    for (const auto& part : point.Parts)
        if (const T* found = std::get_if<T>(&part)) return found;
    return nullptr;
}

}  // namespace kestro::conversion_test
