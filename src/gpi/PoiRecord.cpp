#include "gpi/PoiRecord.h"

#include <cstdint>
#include <filesystem>
#include <vector>

#include "diag/Exceptions.h"
#include "gpi/ExtendedReal.h"
#include "gpi/GpiRecordType.h"
#include "gpi/GpiUtil.h"
#include "gpi/PoiFields.h"
#include "gpi/RecordInPlace.h"
#include "platform/FileRead.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

// A value cut toward zero, or the field's largest value where it does not
// fit: wrapping would turn 2400 km/h into 40 km/h and 70000 m into 4464 m.
// The values here stay far inside 64 bits (at most 100 × 2^31 × 5/18).
std::uint32_t Clamped16(std::int64_t whole, bool& clamped) {
    if (whole <= 0xFFFF) return static_cast<std::uint32_t>(whole);
    clamped = true;
    return 0xFFFF;
}

std::uint32_t TruncClamped16(std::int64_t factor, double value, bool& clamped) {
    return Clamped16(TruncatedInt64(ExtendedProduct(ExtendedOf(factor), ExtendedOf(value))), clamped);
}

struct TAlertFields {
    std::uint32_t Distance = 0;  // metres
    std::uint32_t Speed = 0;     // hundredths of a metre per second
    bool Clamped = false;
};

// Devices expect the speed in hundredths of metres per second, and a speed
// alert without a distance warns 36 seconds ahead. The speed is rounded to a
// double between the two extended-precision steps, which leaves 40, 70 and
// 80 km/h one metre short of ten times the speed; the output keeps that.
TAlertFields AlertFields(const TPoiWpt& point) {
    TAlertFields fields;
    if (point.AlertDistance >= 0) fields.Distance = Clamped16(point.AlertDistance, fields.Clamped);
    if (point.AlertSpeed >= 0) {
        const double metresPerSecond = AlertMetresPerSecond(point.AlertSpeed);
        fields.Speed = TruncClamped16(100, metresPerSecond, fields.Clamped);
        if (point.AlertDistance < 0) fields.Distance = TruncClamped16(36, metresPerSecond, fields.Clamped);
    }
    return fields;
}

}  // namespace

double AlertMetresPerSecond(std::int32_t kilometresPerHour) {
    static const TExtendedReal factor = ExtendedQuotient(5, 18);
    return DoubleOf(ExtendedProduct(ExtendedOf(std::int64_t{kilometresPerHour}), factor));
}

namespace {

Bytes AlertMain(const TPoiWpt& point) {
    const TAlertFields fields = AlertFields(point);
    Bytes main = GpiWord(fields.Distance) + GpiWord(fields.Speed);
    main += Bytes("\x00\x01\x10\x00\x01\x01", 6);
    // A predefined sound is 0x1000 + its number; a media record's number
    // stands for itself.
    main += GpiWord(point.Sound != 0 ? point.Sound : (point.AlertSpeed >= 0 ? 0x1005 : 0x1004));
    return main;
}

// A localized field of the point in every language, the first language's
// text first.
void AppendLocalizedText(Bytes& out, const TPoiWpt& point, const Bytes& first, const TGpiText& further) {
    const std::size_t lengthAt = out.size();
    out.append(4, '\0');
    AppendGpiLangEntry(out, point.Language, first);
    for (const auto& entry : further) AppendGpiLangEntry(out, entry.Language, entry.Text);
    const std::uint32_t length = RecordLength(out.size() - lengthAt - 4);
    for (int i = 0; i < 4; ++i) out[lengthAt + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
}

// Whether a localized field has a text in any language.
bool AnyText(const Bytes& first, const TGpiText& further) {
    if (!first.empty()) return true;
    for (const auto& entry : further)
        if (!entry.Text.empty()) return true;
    return false;
}

// A record of the flags word and the point's non-empty fields; a localized
// field counts when it has a text in any language. Nothing without one.
template <class TField, std::size_t N>
void AppendFieldsRecord(Bytes& out, std::uint16_t type, const TPoiWpt& point, const std::array<TField, N>& table) {
    TRecordInPlace record(out, type, false);
    const std::size_t flagsAt = out.size();
    out.append(2, '\0');
    std::uint32_t flags = 0;
    for (const auto& field : table) {
        if (field.Point == nullptr) continue;
        const Bytes& text = point.*field.Point;
        if (field.Translated) {
            const TGpiText& further = point.Translations[*field.Translated];
            if (!AnyText(text, further)) continue;
            AppendLocalizedText(out, point, text, further);
        } else {
            if (text.empty()) continue;
            AppendGpiString(out, text);
        }
        flags |= field.Bit;
    }
    if (flags == 0) {
        record.Drop();
        return;
    }
    out[flagsAt] = static_cast<char>(flags & 0xFF);
    out[flagsAt + 1] = static_cast<char>((flags >> 8) & 0xFF);
    record.Finish();
}

// A record holding a localized field after `lead` bytes, or nothing when the
// field is empty in every language.
void AppendLocalizedRecord(Bytes& out, std::uint16_t type, const Bytes& lead, const TPoiWpt& point, TLocalized place) {
    const Bytes& first = point.*LocalizedFields[static_cast<std::size_t>(place)].First;
    const TGpiText& further = point.Translations[place];
    if (!AnyText(first, further)) return;
    TRecordInPlace record(out, type, false);
    out += lead;
    AppendLocalizedText(out, point, first, further);
    record.Finish();
}

// Lines end at CR LF; a final CR LF closes the last line rather than opening
// an empty one.
std::vector<Bytes> SplitLines(const Bytes& text) {
    std::vector<Bytes> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == Bytes::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// An image record holds a position byte, the image's 32-bit length and the
// image; the point record around it may have to be smaller still. A larger
// file is refused before it is read, and one that does not tell its size is
// read no further than one byte past the limit.
Bytes ReadImage(const Bytes& path, std::uint64_t maxRecord) {
    constexpr std::uint64_t headBytes = 5;
    const bool formatLimit = maxRecord >= MaxRecordData;
    const std::uint64_t limit = formatLimit ? MaxRecordData - headBytes : maxRecord;
    auto refuse = [&](const std::string& size) {
        throw EFormatLimit(Format("Image \"%s\" has %s bytes; %s holds at most %llu", path.c_str(), size.c_str(),
                                  formatLimit ? "an image record" : "a point record",
                                  static_cast<unsigned long long>(limit)));
    };
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(PathFromUtf8(path), error);
    if (!error && size > limit) refuse(std::to_string(size));
    Bytes content = ReadFileUpTo(path, limit + 1);
    if (content.size() > limit) refuse("more than " + std::to_string(limit));
    return content;
}

// Bytes made for a photo keep to the same limit as a file's.
const Bytes& GivenImage(const Bytes& path, const Bytes& content, std::uint64_t maxRecord) {
    constexpr std::uint64_t headBytes = 5;
    const bool formatLimit = maxRecord >= MaxRecordData;
    const std::uint64_t limit = formatLimit ? MaxRecordData - headBytes : maxRecord;
    if (content.size() > limit)
        throw EFormatLimit(Format("Image \"%s\" has %zu bytes; %s holds at most %llu", path.c_str(), content.size(),
                                  formatLimit ? "an image record" : "a point record", static_cast<unsigned long long>(limit)));
    return content;
}

Bytes ImageRecords(const TPoiWpt& point, std::uint64_t maxRecord) {
    Bytes records;
    std::uint32_t position = 0;
    for (const Bytes& path : SplitLines(point.Images)) {
        const bool given = position < point.ImageContents.size() && !point.ImageContents[position].empty();
        const Bytes content = given ? GivenImage(path, point.ImageContents[position], maxRecord) : ReadImage(path, maxRecord);
        Bytes main(1, static_cast<char>(position & 0xFF));
        main += GpiDword(static_cast<std::uint32_t>(content.size()));
        main += content;
        records += GpiRecord(GpiTypeImage, main);
        ++position;
    }
    return records;
}

}  // namespace

bool AlertClamped(const TPoiWpt& point) { return HasAlert(point) && AlertFields(point).Clamped; }

Bytes GpiPoi(const TPoiWpt& point, std::uint64_t maxRecord) {
    // Built in one string: a point is encoded for every waypoint read.
    const bool alert = HasAlert(point);
    Bytes record;
    record.reserve(256);
    TRecordInPlace poi(record, GpiTypePoint);
    const std::size_t mainBegin = record.size();
    AppendGpiDword(record, static_cast<std::uint32_t>(DegToSemicircles(point.Lat)));
    AppendGpiDword(record, static_cast<std::uint32_t>(DegToSemicircles(point.Lon)));
    AppendGpiWord(record, 1);
    record += static_cast<char>(alert ? 1 : 0);
    AppendLocalizedText(record, point, point.Name, point.Translations[TLocalized::Name]);  // also when it is empty
    poi.EndMain();

    if (point.Category != NoIndex) record += GpiRecord(GpiTypeCategoryRef, GpiWord(point.Category));
    if (point.Bitmap != NoIndex) record += GpiRecord(GpiTypeBitmapRef, GpiWord(point.Bitmap));
    if (alert) record += GpiRecord(GpiTypeAlert, AlertMain(point));
    AppendLocalizedRecord(record, GpiTypeComment, Bytes(), point, TLocalized::Comment);
    AppendFieldsRecord(record, GpiTypeAddress, point, AddressFields);
    AppendFieldsRecord(record, GpiTypeContact, point, ContactFields);
    record += ImageRecords(point, maxRecord);
    AppendLocalizedRecord(record, GpiTypeDescription, Bytes(1, '\x01'), point, TLocalized::Description);
    if (poi.ExtraEmpty())
        record = GpiRecord(GpiTypePoint, record.substr(mainBegin));  // the short header
    else
        poi.Finish();
    if (record.size() > maxRecord)
        throw EFormatLimit(Format("A point record of %llu bytes passes the %llu bytes it may have",
                                  static_cast<unsigned long long>(record.size()), static_cast<unsigned long long>(maxRecord)));
    return record;
}

Bytes GpiAlertMain(const TPoiWpt& point) { return AlertMain(point); }

}  // namespace kestro
