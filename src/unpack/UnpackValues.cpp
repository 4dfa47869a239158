#include "unpack/UnpackValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gpi/GpiUtil.h"
#include "gpi/PoiRecord.h"
#include "sources/NumberText.h"

namespace kestro {

namespace {

std::optional<Bytes> AlertOf(std::int32_t speed, std::int32_t distance) {
    if (speed < 0 && distance < 0) return std::nullopt;
    TPoiWpt point;
    point.AlertSpeed = speed;
    point.AlertDistance = distance;
    return GpiAlertMain(point);
}

std::uint32_t Word(const Bytes& bytes, std::size_t offset) {
    return static_cast<unsigned char>(bytes[offset]) | static_cast<unsigned char>(bytes[offset + 1]) << 8;
}

}  // namespace

double SemicircleMiddle(std::int32_t semicircles) {
    // semicircles ± 0.5 exactly, then divided in extended precision as the
    // writer multiplied.
    const std::int64_t halves = 2 * std::int64_t{semicircles} + (semicircles < 0 ? -1 : 1);
    TExtendedReal middle = ExtendedOf(halves);
    --middle.Exponent;
    return DoubleOf(ExtendedQuotient(middle, SemicirclesPerDegree()));
}

std::string CoordinateText(std::int32_t semicircles, bool nonZero) {
    const double middle = SemicircleMiddle(semicircles);
    char text[64];
    for (int decimals = 0; decimals <= 17; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, middle);
        const double value = DotStrToFloat(text);
        if (DegToSemicircles(value) == semicircles && !(nonZero && value == 0)) return text;
    }
    std::snprintf(text, sizeof text, "%.17g", middle);
    return text;
}

TAlertWriting AlertWriting(const std::optional<Bytes>& wanted, TAlertDefaults defaults) {
    // The speeds and distances a waypoint can ask for: the file's own, or one
    // given on the waypoint that matches the wanted record's fields.
    std::vector<std::optional<std::int32_t>> speeds{std::nullopt};
    std::vector<std::optional<std::int32_t>> distances{std::nullopt};
    if (wanted && wanted->size() == 12) {
        const std::uint32_t hundredths = Word(*wanted, 2);
        const auto guess = static_cast<std::int32_t>(std::floor(hundredths * 0.036));
        for (std::int32_t s = guess - 2; s <= guess + 3; ++s)
            if (s >= 0) speeds.push_back(s);
        distances.push_back(static_cast<std::int32_t>(Word(*wanted, 0)));
    }
    for (const auto& speed : speeds)
        for (const auto& distance : distances) {
            const auto made = AlertOf(speed.value_or(defaults.Speed), distance.value_or(defaults.Distance));
            if (made == wanted) return TAlertWriting{speed, distance, true};
        }
    // Not reachable: the nearest speed and the distance, or nothing.
    TAlertWriting nearest;
    nearest.Exact = false;
    if (wanted && wanted->size() == 12) {
        nearest.Proximity = static_cast<std::int32_t>(Word(*wanted, 0));
        if (static_cast<unsigned char>((*wanted)[10]) == 5)
            nearest.Speed = static_cast<std::int32_t>(std::lround(Word(*wanted, 2) * 0.036));
    }
    return nearest;
}

}  // namespace kestro
