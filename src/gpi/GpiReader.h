#pragma once
// Reader of the GPI record structure: parses a whole file into a tree of
// typed records. It reads files of any writer: records of unknown type are
// kept by type and size, localized texts may hold several languages, and the
// extension records of other writers (15 and 17 in the headers, 18 in a
// group) are decoded. Damage inside the file never stops the reading: what can
// be decoded is kept and every fault is noted as a problem with its offset.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "gpi/GpiRecordType.h"
#include "gpi/GpiRecords.h"
#include "gpi/LangText.h"
#include "platform/Bytes.h"

namespace kestro {

// Semicircles (2^31 per 180 degrees) back to degrees.
double SemicirclesToDeg(std::int32_t semicircles);

struct TGpiProblem {
    std::size_t Offset = 0;
    std::string Text;
};

struct TGpiHeader {
    std::size_t Offset = 0;
    Bytes Signature;  // "GRMREC00"
    std::uint32_t Stamp = 0;
    std::uint16_t Reserved = 0;
    Bytes FileName;
    TGpiRecords Records;  // extension records (type 15 of other writers)
};

// Type 17 of other writers: data source and copyright, each localized.
struct TGpiCopyright {
    std::size_t Offset = 0;
    std::uint32_t Value0 = 0;
    std::uint32_t Value4 = 0;
    std::vector<TGpiText> Texts;
    Bytes Trailing;
};

struct TGpiPoiHeader {
    std::size_t Offset = 0;
    Bytes Magic;    // "POI" and three zero bytes
    Bytes Version;  // "00"
    std::uint16_t CodePage = 0;
    std::uint16_t Flags = 0;
    std::optional<TGpiCopyright> Copyright;
    TGpiRecords Records;
};

struct TGpiCategoryRef {
    std::size_t Offset = 0;
    std::uint16_t Number = 0;
};
struct TGpiBitmapRef {
    std::size_t Offset = 0;
    std::uint16_t Number = 0;
};
struct TGpiAlert {
    std::size_t Offset = 0;
    std::uint16_t Distance = 0;  // metres
    std::uint16_t Speed = 0;     // hundredths of a metre per second
    Bytes Fixed;                 // bytes 4..9, normally 00 01 10 00 01 01
    std::uint8_t Kind = 0;       // 4 proximity, 5 speed
    std::uint8_t Last = 0;       // normally 0x10
    // Kind and Last as one value: 0x1000 + a predefined sound's number, or
    // the number of the group's media record the alert plays.
    std::uint16_t Sound() const { return static_cast<std::uint16_t>(Kind | Last << 8); }
    bool CustomSound() const { return Sound() < 0x1000; }
};
struct TGpiComment {
    std::size_t Offset = 0;
    TGpiText Text;
};
struct TGpiAddress {
    std::size_t Offset = 0;
    std::uint16_t Mask = 0;
    std::optional<TGpiText> City, Country, State, Street;
    std::optional<Bytes> PostalCode, HouseNumber;
};
struct TGpiContact {
    std::size_t Offset = 0;
    std::uint16_t Mask = 0;
    std::optional<Bytes> Phone, Phone2, Fax, Email, Url;
};
struct TGpiImage {
    std::size_t Offset = 0;
    std::uint8_t Index = 0;
    std::uint32_t Size = 0;
    Bytes Data;  // the embedded file, as far as the record holds it
};
struct TGpiDescription {
    std::size_t Offset = 0;
    std::uint8_t Kind = 0;
    TGpiText Text;
};
using TGpiPointPart = std::variant<TGpiCategoryRef, TGpiBitmapRef, TGpiAlert, TGpiComment, TGpiAddress,
                                   TGpiContact, TGpiImage, TGpiDescription, TGpiOther>;

// Offset of any point part.
std::size_t PartOffset(const TGpiPointPart& part);
// Record type of any point part.
std::uint16_t PartType(const TGpiPointPart& part);

struct TGpiPoint {
    std::size_t Offset = 0;
    std::int32_t Lat = 0;  // semicircles
    std::int32_t Lon = 0;
    std::uint16_t Word = 0;  // normally 1
    std::uint8_t AlertFlag = 0;
    TGpiText Name;
    std::vector<TGpiPointPart> Parts;  // the sub-records in file order

    const TGpiAlert* Alert() const;
};

struct TGpiArea {
    std::size_t Offset = 0;
    int Depth = 0;  // the root area of a group has depth 0
    std::int32_t North = 0, East = 0, South = 0, West = 0;  // semicircles
    Bytes Fixed;  // bytes 16..21, normally 00 00 00 00 01 00
    std::uint8_t AlertFlag = 0;
    std::vector<TGpiArea> Areas;
    std::vector<TGpiPoint> Points;
    TGpiRecords Records;

    std::size_t PointCount() const;  // points in this area and all its sub-areas
};

struct TGpiCategory {
    std::size_t Offset = 0;
    std::uint16_t Number = 0;
    TGpiText Name;
    std::optional<TGpiBitmapRef> Bitmap;
    TGpiRecords Records;
};

struct TGpiBitmap {
    std::size_t Offset = 0;
    std::size_t MainSize = 0;
    std::size_t ExtraSize = 0;
    std::uint16_t Number = 0, Height = 0, Width = 0, Stride = 0, BitsPerPixel = 0, Reserved = 0;
    std::uint32_t PixelSize = 0, PixelOffset = 0, PaletteCount = 0, ColourKey = 0, Value28 = 0, PaletteOffset = 0;
    Bytes Body;  // the main part after the 36-byte header: pixel rows, then the palette
};

// Type 18 of other writers: a sound clip per language.
struct TGpiMedia {
    std::size_t Offset = 0;
    std::uint16_t Number = 0;
    std::uint8_t Format = 0;
    struct TEntry {
        Bytes Language;
        std::uint32_t Size = 0;
        Bytes Data;  // the sound file
    };
    std::vector<TEntry> Entries;
};

struct TGpiGroup {
    std::size_t Offset = 0;
    TGpiText Name;
    std::optional<TGpiArea> Root;
    TGpiRecords MainRecords;  // records of the main part other than the root area
    std::vector<TGpiCategory> Categories;
    std::vector<TGpiBitmap> Bitmaps;
    std::vector<TGpiMedia> Media;
    TGpiRecords Records;  // other records of the extra part
    TGpiRecords Extra;    // every record of the extra part, in file order
};

struct TGpiFile {
    std::shared_ptr<const Bytes> Content;  // the file's bytes, which the record lists walk
    std::size_t Size = 0;
    TGpiHeader Header;
    std::optional<TGpiPoiHeader> PoiHeader;
    std::vector<TGpiGroup> Groups;
    std::optional<std::size_t> End;  // offset of the end record
    TGpiRecords Records;  // records at file level that are neither headers, groups nor the end
    TGpiRecords Order;    // every file-level record, the end record included, in file order
    std::vector<TGpiProblem> Problems;  // faults met while reading, in reading order
    // Records whose head gives a main length (flag 8) where one is not needed:
    // nothing after the main part, or a type other than group, area and point.
    std::size_t NeedlessMainLengths = 0;

    std::uint16_t CodePage() const;  // of the texts: the POI header's, else 1252
};

// Parses a GPI file held in memory. Raises EReadError when the bytes do not
// start with a GPI header record.
TGpiFile ParseGpi(Bytes content);
// Reads and parses a file; EFOpenError / EReadError when it cannot be read.
TGpiFile ReadGpiFile(const std::string& path);

}  // namespace kestro
