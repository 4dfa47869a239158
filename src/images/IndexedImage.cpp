#include "images/IndexedImage.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace kestro {

namespace {

constexpr std::size_t MaxColours = 256;

struct TColour {
    std::uint32_t Rgb = 0;
    std::uint64_t Count = 0;
    int Channel(int channel) const { return static_cast<int>((Rgb >> (16 - 8 * channel)) & 0xFF); }
};

// The colours [Begin, End) of the histogram, and how badly one mean colour
// would stand for them (weighted squared error).
struct TBox {
    std::size_t Begin = 0;
    std::size_t End = 0;
    double Error = 0;
    int WidestChannel = 0;
};

std::uint32_t PixelColour(const std::uint8_t* pixel) {
    if (pixel[3] < 128) return TransparentColour;
    return static_cast<std::uint32_t>(pixel[0]) << 16 | static_cast<std::uint32_t>(pixel[1]) << 8 | pixel[2];
}

void Measure(const std::vector<TColour>& colours, TBox& box) {
    std::array<double, 3> sum{}, squares{};
    double count = 0;
    for (std::size_t i = box.Begin; i < box.End; ++i) {
        const double weight = static_cast<double>(colours[i].Count);
        count += weight;
        for (int c = 0; c < 3; ++c) {
            const double value = colours[i].Channel(c);
            sum[c] += weight * value;
            squares[c] += weight * value * value;
        }
    }
    box.Error = 0;
    double widest = -1;
    for (int c = 0; c < 3; ++c) {
        const double spread = squares[c] - sum[c] * sum[c] / count;
        box.Error += spread;
        if (spread > widest) {
            widest = spread;
            box.WidestChannel = c;
        }
    }
}

std::uint32_t MeanColour(const std::vector<TColour>& colours, const TBox& box) {
    std::array<double, 3> sum{};
    double count = 0;
    for (std::size_t i = box.Begin; i < box.End; ++i) {
        count += static_cast<double>(colours[i].Count);
        for (int c = 0; c < 3; ++c) sum[c] += static_cast<double>(colours[i].Count) * colours[i].Channel(c);
    }
    std::uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c) rgb = rgb << 8 | static_cast<std::uint32_t>(sum[c] / count + 0.5);
    // A mean that happens to be the key would turn visible pixels transparent.
    return rgb == TransparentColour ? 0xFE00FF : rgb;
}

// Median cut: the box that stands worst for its colours is split at the
// weighted median of its widest channel, until there are `wanted` boxes.
std::vector<std::uint32_t> MedianCut(std::vector<TColour> colours, std::size_t wanted) {
    std::vector<TBox> boxes(1);
    boxes[0].End = colours.size();
    Measure(colours, boxes[0]);
    while (boxes.size() < wanted) {
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const TBox& a, const TBox& b) {
            const bool aSplits = a.End - a.Begin > 1, bSplits = b.End - b.Begin > 1;
            if (aSplits != bSplits) return bSplits;
            return a.Error < b.Error;
        });
        if (worst->End - worst->Begin < 2) break;
        TBox box = *worst;
        const int channel = box.WidestChannel;
        std::sort(colours.begin() + static_cast<std::ptrdiff_t>(box.Begin), colours.begin() + static_cast<std::ptrdiff_t>(box.End),
                  [channel](const TColour& a, const TColour& b) {
                      return a.Channel(channel) != b.Channel(channel) ? a.Channel(channel) < b.Channel(channel) : a.Rgb < b.Rgb;
                  });
        std::uint64_t total = 0;
        for (std::size_t i = box.Begin; i < box.End; ++i) total += colours[i].Count;
        std::uint64_t below = 0;
        std::size_t split = box.Begin + 1;
        for (std::size_t i = box.Begin; i + 1 < box.End; ++i) {
            below += colours[i].Count;
            split = i + 1;
            if (2 * below >= total) break;
        }
        TBox low{box.Begin, split, 0, 0}, high{split, box.End, 0, 0};
        Measure(colours, low);
        Measure(colours, high);
        *worst = low;
        boxes.push_back(high);
    }
    std::vector<std::uint32_t> palette;
    for (const TBox& box : boxes) palette.push_back(MeanColour(colours, box));
    return palette;
}

std::uint8_t Nearest(std::uint32_t rgb, const std::vector<std::uint32_t>& palette, std::size_t opaqueEntries) {
    std::size_t best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < opaqueEntries; ++i) {
        long distance = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const long d = static_cast<long>((rgb >> shift) & 0xFF) - static_cast<long>((palette[i] >> shift) & 0xFF);
            distance += d * d;
        }
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace

TIndexedImage IndexColours(const TRgbaImage& image) {
    TIndexedImage result;
    result.Width = image.Width;
    result.Height = image.Height;
    const std::size_t pixels = static_cast<std::size_t>(image.Width) * image.Height;
    result.Indices.resize(pixels);

    // Colours in order of first appearance, with their counts.
    std::unordered_map<std::uint32_t, std::size_t> positions;
    std::vector<TColour> colours;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint32_t rgb = PixelColour(&image.Pixels[i * 4]);
        auto [at, added] = positions.emplace(rgb, colours.size());
        if (added) colours.push_back({rgb, 0});
        ++colours[at->second].Count;
    }

    if (colours.size() <= MaxColours) {
        for (const TColour& colour : colours) result.Palette.push_back(colour.Rgb);
        for (std::size_t i = 0; i < pixels; ++i)
            result.Indices[i] = static_cast<std::uint8_t>(positions[PixelColour(&image.Pixels[i * 4])]);
        return result;
    }

    const auto key = positions.find(TransparentColour);
    const bool transparent = key != positions.end();
    if (transparent) colours.erase(colours.begin() + static_cast<std::ptrdiff_t>(key->second));
    result.Palette = MedianCut(std::move(colours), MaxColours - (transparent ? 1 : 0));
    const std::size_t opaqueEntries = result.Palette.size();
    if (transparent) result.Palette.push_back(TransparentColour);
    std::unordered_map<std::uint32_t, std::uint8_t> chosen;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint32_t rgb = PixelColour(&image.Pixels[i * 4]);
        if (rgb == TransparentColour) {
            result.Indices[i] = static_cast<std::uint8_t>(opaqueEntries);
            continue;
        }
        auto [at, added] = chosen.emplace(rgb, 0);
        if (added) at->second = Nearest(rgb, result.Palette, opaqueEntries);
        result.Indices[i] = at->second;
    }
    return result;
}

}  // namespace kestro
