// Writes a deterministic source folder for the unpacking benchmark: one
// group of N waypoints along a line from north-east to south-west, each
// linking one of ICONS icons, the icons taken in reading order. With
// maxregion=2 the converter puts them in about N/2 small areas, stored from
// south-west to north-east: against the icons' numbers, the hardest order
// for the unpacker to keep.
//
//     unpack_generator N ICONS SOURCE_FOLDER
//
// creates SOURCE_FOLDER/kestro.ini, SOURCE_FOLDER/G/a.gpx and
// SOURCE_FOLDER/icons/; the links are relative to SOURCE_FOLDER, so convert
// from inside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void Fail(const std::filesystem::path& path) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
}

void Put(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An uncompressed 8-bit BMP of 4 x 4 pixels of one colour.
void WriteBmp(const std::filesystem::path& path, std::uint8_t colour) {
    std::ofstream out(path, std::ios::binary);
    if (!out) Fail(path);
    const std::uint32_t pixelOffset = 54 + 1024, pixels = 16;
    out << "BM";
    Put(out, pixelOffset + pixels, 4), Put(out, 0, 4), Put(out, pixelOffset, 4);
    Put(out, 40, 4), Put(out, 4, 4), Put(out, 4, 4), Put(out, 1, 2), Put(out, 8, 2), Put(out, 0, 4);
    Put(out, pixels, 4), Put(out, 2835, 4), Put(out, 2835, 4), Put(out, 0, 4), Put(out, 0, 4);
    for (std::uint32_t i = 0; i < 256; ++i) Put(out, i * 0x010101, 4);
    for (std::uint32_t i = 0; i < pixels; ++i) out.put(static_cast<char>(colour));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: unpack_generator N ICONS SOURCE_FOLDER\n");
        return 2;
    }
    const long count = std::atol(argv[1]);
    const long icons = std::atol(argv[2]);
    const std::filesystem::path folder = argv[3];
    if (count < 1 || icons < 1) return 2;
    std::filesystem::create_directories(folder / "G");
    std::filesystem::create_directories(folder / "icons");
    for (long i = 0; i < icons; ++i) WriteBmp(folder / "icons" / ("i" + std::to_string(i) + ".bmp"), static_cast<std::uint8_t>(i));
    std::ofstream ini(folder / "kestro.ini");
    ini << "[kestro]\nmaxregion=2\n";
    std::ofstream gpx(folder / "G/a.gpx", std::ios::binary);
    if (!gpx) Fail(folder / "G/a.gpx");
    gpx << "<gpx>\n";
    char line[200];
    for (long i = 0; i < count; ++i) {
        const double along = static_cast<double>(i) / static_cast<double>(count);
        std::snprintf(line, sizeof line, "<wpt lat=\"%.6f\" lon=\"%.6f\"><name>p%ld</name><link href=\"icons/i%ld.bmp\"/></wpt>\n",
                      50 - 10 * along, 20 - 10 * along, i, i * icons / count);
        gpx << line;
    }
    gpx << "</gpx>\n";
    return gpx ? 0 : 1;
}
