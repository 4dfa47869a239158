#include "gpi/GpiReader.h"
#include "gpi/PoiFields.h"

#include <algorithm>
#include <cstring>

#include "diag/Exceptions.h"
#include "platform/FileRead.h"
#include "platform/PathName.h"

namespace kestro {

namespace {

// The records kestro writes with a main length: those that may hold others.
bool KestroWritesExtra(std::uint16_t type) {
    return type == GpiTypeGroup || type == GpiTypeArea || type == GpiTypePoint || type == GpiTypeHeader ||
           type == GpiTypePoiHeader || type == GpiTypeMedia;
}

// Area records of ordinary files nest 34 levels at most; this bound only keeps
// the recursion of a hostile file finite.
constexpr int MaxReadDepth = 64;

using TSpan = TGpiSpan;
using TEnvelope = TGpiEnvelope;

std::string RecordLabel(std::uint16_t type) {
    const char* name = GpiRecordName(type);
    return *name != '\0' ? std::string(name) + " record" : Format("record of type %u", type);
}

std::uint32_t LoadLittleEndian(const Bytes& data, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[offset + static_cast<std::size_t>(i)]);
    return value;
}

// Reads the fields of one record part. The first field that does not fit
// stops the reading; later reads give zeros, and the fault is kept.
class TFieldCursor {
public:
    TFieldCursor(const Bytes& data, TSpan span) : data_(data), pos_(span.Offset), end_(span.End()) {}

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    std::size_t ErrorOffset() const { return errorOffset_; }
    std::size_t Pos() const { return pos_; }
    std::size_t Left() const { return end_ - pos_; }

    std::uint8_t Byte(const char* what) { return Need(1, what) ? static_cast<std::uint8_t>(data_[pos_++]) : 0; }
    std::uint16_t Word(const char* what) { return static_cast<std::uint16_t>(Number(2, what)); }
    std::uint32_t Dword(const char* what) { return Number(4, what); }

    Bytes Take(std::size_t size, const char* what) {
        if (!Need(size, what)) return Bytes();
        Bytes out = data_.substr(pos_, size);
        pos_ += size;
        return out;
    }
    void Skip(std::size_t size, const char* what) {
        if (Need(size, what)) pos_ += size;
    }
    // A 16-bit length and the text's bytes.
    Bytes String(const char* what) {
        const std::size_t size = Word(what);
        return Take(size, what);
    }
    // A 32-bit total length, then entries of language code, 16-bit length and text.
    TGpiText LangString(const char* what) {
        TGpiText text;
        const std::size_t start = pos_;
        const std::uint32_t total = Dword(what);
        if (!Ok()) return text;
        if (total > Left()) {
            Fail(start, Format("%s: localized text of %u bytes overruns the record by %zu bytes", what, total,
                               static_cast<std::size_t>(total) - Left()));
            return text;
        }
        const std::size_t stop = pos_ + total;
        while (pos_ < stop) {
            if (stop - pos_ < 4) {
                Fail(pos_, Format("%s: %zu stray bytes at the end of a localized text", what, stop - pos_));
                return text;
            }
            TGpiTextEntry entry;
            entry.Language = data_.substr(pos_, 2);
            const std::size_t size = LoadLittleEndian(data_, pos_ + 2, 2);
            if (size > stop - pos_ - 4) {
                Fail(pos_, Format("%s: text of %zu bytes overruns its localized text by %zu bytes", what, size,
                                  size - (stop - pos_ - 4)));
                return text;
            }
            entry.Text = data_.substr(pos_ + 4, size);
            pos_ += 4 + size;
            text.push_back(std::move(entry));
        }
        return text;
    }

    void Fail(std::size_t offset, std::string text) {
        if (!Ok()) return;
        error_ = std::move(text);
        errorOffset_ = offset;
        pos_ = end_;
    }

private:
    bool Need(std::size_t size, const char* what) {
        if (!Ok()) return false;
        if (Left() < size) {
            Fail(pos_, Format("%s needs %zu bytes, %zu left", what, size, Left()));
            return false;
        }
        return true;
    }
    std::uint32_t Number(int size, const char* what) {
        if (!Need(static_cast<std::size_t>(size), what)) return 0;
        const std::uint32_t value = LoadLittleEndian(data_, pos_, size);
        pos_ += static_cast<std::size_t>(size);
        return value;
    }

    const Bytes& data_;
    std::size_t pos_;
    std::size_t end_;
    std::string error_;
    std::size_t errorOffset_ = 0;
};

class TReader {
public:
    TReader(const std::shared_ptr<const Bytes>& data, TGpiFile& file) : shared_(data), data_(*data), file_(file) {}

    void ReadFile() {
        file_.Size = data_.size();
        const TSpan whole{0, data_.size()};
        file_.Order = List(whole);
        file_.Records = List(whole);
        file_.Records.SkipType(GpiTypeGroup);
        const std::size_t stop = ForEachRecord(whole, "the end of the file", [&](const TEnvelope& e) {
            file_.Order.Count();
            if (e.Type == GpiTypeHeader && file_.Order.size() == 1) {
                file_.Records.SkipOffset(e.Offset);
                ReadHeader(e);
            } else if (e.Type == GpiTypePoiHeader && !file_.PoiHeader) {
                file_.Records.SkipOffset(e.Offset);
                ReadPoiHeader(e);
            } else if (e.Type == GpiTypeGroup) {
                file_.Groups.push_back(ReadGroup(e));
            } else if (e.Type == GpiTypeEnd) {
                file_.End = e.Offset;
                file_.Records.StopAt(e.Offset);
                if (e.DataLength != 0) Problem(e.Offset + 4, Format("end record: data length %u, not 0", e.DataLength));
                return false;
            } else {
                file_.Records.Count();
            }
            return true;
        });
        file_.Order.StopAt(stop);
        if (file_.End && stop < data_.size())
            Problem(stop, Format("%zu bytes after the end record", data_.size() - stop));
    }

private:
    void Problem(std::size_t offset, std::string text) { file_.Problems.push_back(TGpiProblem{offset, std::move(text)}); }

    // Notes a cursor fault, or bytes the record holds beyond its fields.
    void Finish(const TFieldCursor& cursor, std::uint16_t type, bool allowTrailing = false) {
        if (!cursor.Ok()) {
            Problem(cursor.ErrorOffset(), RecordLabel(type) + ": " + cursor.Error());
        } else if (cursor.Left() > 0 && !allowTrailing) {
            Problem(cursor.Pos(), Format("%s: %zu unexpected bytes after its fields", RecordLabel(type).c_str(), cursor.Left()));
        }
    }

    // Walks the records laid end to end in span; onRecord returns false to
    // stop. Returns the offset where the walk stopped.
    template <typename F>
    std::size_t ForEachRecord(TSpan span, const char* parent, F&& onRecord) {
        std::size_t pos = span.Offset;
        while (pos < span.End()) {
            const std::size_t left = span.End() - pos;
            TEnvelope e;
            if (!ReadRecordHead(data_, pos, span.End(), e)) {
                if (left < 8)
                    Problem(pos, Format("incomplete record head: %zu bytes before %s", left, parent));
                else
                    Problem(pos, Format("%s: incomplete record head: %zu bytes before %s", RecordLabel(e.Type).c_str(), left, parent));
                return span.End();
            }
            if ((e.Flags & ~8) != 0) Problem(pos + 2, Format("%s: unknown flags 0x%04X", RecordLabel(e.Type).c_str(), e.Flags));
            if (e.DataLength > e.Data.Size)
                Problem(pos + 4, Format("%s: length %u overruns %s by %zu bytes", RecordLabel(e.Type).c_str(), e.DataLength,
                                        parent, e.DataLength - e.Data.Size));
            const bool hasExtra = (e.Flags & 8) != 0;
            if (hasExtra && e.MainLength > e.DataLength)
                Problem(pos + 8, Format("%s: main length %u exceeds its data length %u", RecordLabel(e.Type).c_str(),
                                        e.MainLength, e.DataLength));
            if (hasExtra && (e.Extra.Size == 0 || !KestroWritesExtra(e.Type))) ++file_.NeedlessMainLengths;
            pos = e.Data.End();
            if (!onRecord(e)) return pos;
        }
        return pos;
    }

    TGpiOther Other(const TEnvelope& e) const { return OtherRecord(data_, e); }
    TGpiRecords List(TSpan span) const { return TGpiRecords(shared_, span); }

    void ReadHeader(const TEnvelope& e) {
        TGpiHeader& h = file_.Header;
        h.Offset = e.Offset;
        TFieldCursor c(data_, e.Main);
        h.Signature = c.Take(8, "signature");
        h.Stamp = c.Dword("time stamp");
        h.Reserved = c.Word("reserved word");
        h.FileName = c.String("file name");
        Finish(c, e.Type);
        h.Records = List(e.Extra);
        ForEachRecord(e.Extra, "the header record", [&](const TEnvelope&) {
            h.Records.Count();
            return true;
        });
    }

    void ReadPoiHeader(const TEnvelope& e) {
        TGpiPoiHeader h;
        h.Offset = e.Offset;
        TFieldCursor c(data_, e.Main);
        h.Magic = c.Take(6, "signature");
        h.Version = c.Take(2, "version");
        h.CodePage = c.Word("code page");
        h.Flags = c.Word("flags");
        Finish(c, e.Type);
        h.Records = List(e.Extra);
        ForEachRecord(e.Extra, "the POI header record", [&](const TEnvelope& sub) {
            if (sub.Type == GpiTypeCopyright && !h.Copyright) {
                h.Copyright = ReadCopyright(sub);
                h.Records.SkipOffset(sub.Offset);
            } else {
                h.Records.Count();
            }
            return true;
        });
        file_.PoiHeader = std::move(h);
    }

    // Two numbers, then as many localized texts as fit; what follows is kept raw.
    TGpiCopyright ReadCopyright(const TEnvelope& e) {
        TGpiCopyright copyright;
        copyright.Offset = e.Offset;
        TFieldCursor c(data_, e.Data);
        copyright.Value0 = c.Dword("first value");
        copyright.Value4 = c.Dword("second value");
        Finish(c, e.Type, true);
        std::size_t pos = c.Pos();
        while (c.Ok() && e.Data.End() - pos >= 4) {
            TFieldCursor trial(data_, TSpan{pos, e.Data.End() - pos});
            TGpiText text = trial.LangString("text");
            if (!trial.Ok()) break;
            copyright.Texts.push_back(std::move(text));
            pos = trial.Pos();
        }
        copyright.Trailing = data_.substr(pos, e.Data.End() - pos);
        return copyright;
    }

    TGpiGroup ReadGroup(const TEnvelope& e) {
        TGpiGroup g;
        g.Offset = e.Offset;
        TFieldCursor c(data_, e.Main);
        g.Name = c.LangString("name");
        Finish(c, e.Type, true);
        if (c.Ok()) {
            const TSpan rest{c.Pos(), c.Left()};
            g.MainRecords = List(rest);
            ForEachRecord(rest, "the group's main part", [&](const TEnvelope& sub) {
                if (sub.Type == GpiTypeArea && !g.Root) {
                    g.Root = ReadArea(sub, 0);
                    g.MainRecords.SkipOffset(sub.Offset);
                } else {
                    g.MainRecords.Count();
                }
                return true;
            });
        }
        g.Extra = List(e.Extra);
        g.Records = List(e.Extra);
        for (std::uint16_t type : {GpiTypeCategory, GpiTypeBitmap, GpiTypeMedia}) g.Records.SkipType(type);
        ForEachRecord(e.Extra, "the group record", [&](const TEnvelope& sub) {
            g.Extra.Count();
            if (sub.Type == GpiTypeCategory) g.Categories.push_back(ReadCategory(sub));
            else if (sub.Type == GpiTypeBitmap) g.Bitmaps.push_back(ReadBitmap(sub));
            else if (sub.Type == GpiTypeMedia) g.Media.push_back(ReadMedia(sub));
            else g.Records.Count();
            return true;
        });
        return g;
    }

    TGpiCategory ReadCategory(const TEnvelope& e) {
        TGpiCategory category;
        category.Offset = e.Offset;
        TFieldCursor c(data_, e.Main);
        category.Number = c.Word("category number");
        category.Name = c.LangString("name");
        Finish(c, e.Type);
        category.Records = List(e.Extra);
        ForEachRecord(e.Extra, "the category record", [&](const TEnvelope& sub) {
            if (sub.Type == GpiTypeBitmapRef && !category.Bitmap) {
                TFieldCursor ref(data_, sub.Data);
                category.Bitmap = TGpiBitmapRef{sub.Offset, ref.Word("bitmap number")};
                category.Records.SkipOffset(sub.Offset);
                Finish(ref, sub.Type);
            } else {
                category.Records.Count();
            }
            return true;
        });
        return category;
    }

    TGpiBitmap ReadBitmap(const TEnvelope& e) {
        TGpiBitmap b;
        b.Offset = e.Offset;
        b.MainSize = e.Main.Size;
        b.ExtraSize = e.Extra.Size;
        TFieldCursor c(data_, e.Main);
        b.Number = c.Word("bitmap number");
        b.Height = c.Word("height");
        b.Width = c.Word("width");
        b.Stride = c.Word("row size");
        b.BitsPerPixel = c.Word("bits per pixel");
        b.Reserved = c.Word("reserved word");
        b.PixelSize = c.Dword("pixel data size");
        b.PixelOffset = c.Dword("pixel data offset");
        b.PaletteCount = c.Dword("palette size");
        b.ColourKey = c.Dword("colour key");
        b.Value28 = c.Dword("header value at 28");
        b.PaletteOffset = c.Dword("palette offset");
        b.Body = c.Take(c.Left(), "pixel rows");
        Finish(c, e.Type, true);  // pixel rows and palette follow; the check compares their sizes
        return b;
    }

    TGpiMedia ReadMedia(const TEnvelope& e) {
        TGpiMedia m;
        m.Offset = e.Offset;
        TFieldCursor head(data_, e.Main);
        m.Number = head.Word("media number");
        m.Format = head.Byte("media format");
        Finish(head, e.Type);
        TFieldCursor c(data_, e.Extra);
        const std::uint32_t total = c.Dword("media length");
        if (c.Ok() && total != c.Left())
            c.Fail(e.Extra.Offset, Format("media length %u, but the extra part holds %zu bytes", total, c.Left()));
        while (c.Ok() && c.Left() > 0) {
            TGpiMedia::TEntry entry;
            entry.Language = c.Take(2, "media language");
            entry.Size = c.Dword("media size");
            entry.Data = c.Take(entry.Size, "media data");
            if (c.Ok()) m.Entries.push_back(std::move(entry));
        }
        Finish(c, e.Type);
        return m;
    }

    TGpiArea ReadArea(const TEnvelope& e, int depth) {
        TGpiArea a;
        a.Offset = e.Offset;
        a.Depth = depth;
        TFieldCursor c(data_, e.Main);
        a.North = static_cast<std::int32_t>(c.Dword("north edge"));
        a.East = static_cast<std::int32_t>(c.Dword("east edge"));
        a.South = static_cast<std::int32_t>(c.Dword("south edge"));
        a.West = static_cast<std::int32_t>(c.Dword("west edge"));
        a.Fixed = c.Take(6, "fixed bytes");
        a.AlertFlag = c.Byte("alert flag");
        Finish(c, e.Type);
        if (depth >= MaxReadDepth) {
            Problem(e.Offset, Format("area record: areas nest deeper than %d levels; its contents are not read", MaxReadDepth));
            return a;
        }
        a.Records = List(e.Extra);
        a.Records.SkipType(GpiTypeArea);
        a.Records.SkipType(GpiTypePoint);
        ForEachRecord(e.Extra, "the area record", [&](const TEnvelope& sub) {
            if (sub.Type == GpiTypeArea) a.Areas.push_back(ReadArea(sub, depth + 1));
            else if (sub.Type == GpiTypePoint) a.Points.push_back(ReadPoint(sub));
            else a.Records.Count();
            return true;
        });
        return a;
    }

    TGpiPoint ReadPoint(const TEnvelope& e) {
        TGpiPoint p;
        p.Offset = e.Offset;
        TFieldCursor c(data_, e.Main);
        p.Lat = static_cast<std::int32_t>(c.Dword("latitude"));
        p.Lon = static_cast<std::int32_t>(c.Dword("longitude"));
        p.Word = c.Word("word after the position");
        p.AlertFlag = c.Byte("alert flag");
        p.Name = c.LangString("name");
        Finish(c, e.Type);
        ForEachRecord(e.Extra, "the point record", [&](const TEnvelope& sub) {
            p.Parts.push_back(ReadPointPart(sub));
            return true;
        });
        return p;
    }

    // Sub-records have no children: writers that give them flag 8 merely
    // split their fields over main and extra part, so both are read as one.
    TGpiPointPart ReadPointPart(const TEnvelope& e) {
        TFieldCursor c(data_, e.Data);
        TGpiPointPart part;
        switch (e.Type) {
        case GpiTypeCategoryRef:
            part = TGpiCategoryRef{e.Offset, c.Word("category number")};
            break;
        case GpiTypeBitmapRef:
            part = TGpiBitmapRef{e.Offset, c.Word("bitmap number")};
            break;
        case GpiTypeAlert: {
            TGpiAlert alert;
            alert.Offset = e.Offset;
            alert.Distance = c.Word("distance");
            alert.Speed = c.Word("speed");
            alert.Fixed = c.Take(6, "fixed bytes");
            alert.Kind = c.Byte("alert kind");
            alert.Last = c.Byte("last byte");
            part = alert;
            break;
        }
        case GpiTypeComment:
            part = TGpiComment{e.Offset, c.LangString("comment")};
            break;
        case GpiTypeAddress:
            part = ReadAddress(e, c);
            break;
        case GpiTypeContact:
            part = ReadContact(e, c);
            break;
        case GpiTypeImage: {
            TGpiImage image;
            image.Offset = e.Offset;
            image.Index = c.Byte("image position");
            image.Size = c.Dword("image size");
            image.Data = c.Take(image.Size, "image data");
            part = image;
            break;
        }
        case GpiTypeDescription: {
            TGpiDescription description;
            description.Offset = e.Offset;
            description.Kind = c.Byte("description kind");
            description.Text = c.LangString("description");
            part = std::move(description);
            break;
        }
        default:
            return Other(e);
        }
        Finish(c, e.Type);
        return part;
    }

    // An address or contact record: the flags word, then each flagged field.
    template <class TPart, std::size_t N>
    TPart ReadFields(const TEnvelope& e, TFieldCursor& c, const std::array<TPoiField<TPart>, N>& table) {
        TPart part;
        part.Offset = e.Offset;
        part.Mask = c.Word("field flags");
        const unsigned unknown = part.Mask & ~static_cast<unsigned>(KnownFlags(table));
        if (unknown != 0) {
            c.Fail(e.Data.Offset, Format("unknown field flags 0x%04X", unknown));
            return part;
        }
        for (const auto& field : table) {
            if ((part.Mask & field.Bit) == 0) continue;
            if (field.Localized())
                part.*field.Text = c.LangString(field.Name);
            else
                part.*field.Plain = c.String(field.Name);
        }
        return part;
    }

    TGpiAddress ReadAddress(const TEnvelope& e, TFieldCursor& c) { return ReadFields(e, c, AddressFields); }
    TGpiContact ReadContact(const TEnvelope& e, TFieldCursor& c) { return ReadFields(e, c, ContactFields); }

    std::shared_ptr<const Bytes> shared_;
    const Bytes& data_;
    TGpiFile& file_;
};

}  // namespace

const char* GpiRecordName(std::uint16_t type) {
    switch (type) {
    case GpiTypeHeader: return "header";
    case GpiTypePoiHeader: return "POI header";
    case GpiTypePoint: return "point";
    case GpiTypeAlert: return "alert";
    case GpiTypeBitmapRef: return "bitmap reference";
    case GpiTypeBitmap: return "bitmap";
    case GpiTypeCategoryRef: return "category reference";
    case GpiTypeCategory: return "category";
    case GpiTypeArea: return "area";
    case GpiTypeGroup: return "group";
    case GpiTypeComment: return "comment";
    case GpiTypeAddress: return "address";
    case GpiTypeContact: return "contact";
    case GpiTypeImage: return "image";
    case GpiTypeDescription: return "description";
    case GpiTypeHeaderExtension: return "header extension";
    case GpiTypeCopyright: return "copyright";
    case GpiTypeMedia: return "media";
    case GpiTypeEnd: return "end";
    default: return "";
    }
}

double SemicirclesToDeg(std::int32_t semicircles) { return static_cast<double>(semicircles) * (180.0 / 2147483648.0); }

std::size_t PartOffset(const TGpiPointPart& part) {
    return std::visit([](const auto& p) { return p.Offset; }, part);
}

std::uint16_t PartType(const TGpiPointPart& part) {
    struct TTypeOf {
        std::uint16_t operator()(const TGpiCategoryRef&) const { return GpiTypeCategoryRef; }
        std::uint16_t operator()(const TGpiBitmapRef&) const { return GpiTypeBitmapRef; }
        std::uint16_t operator()(const TGpiAlert&) const { return GpiTypeAlert; }
        std::uint16_t operator()(const TGpiComment&) const { return GpiTypeComment; }
        std::uint16_t operator()(const TGpiAddress&) const { return GpiTypeAddress; }
        std::uint16_t operator()(const TGpiContact&) const { return GpiTypeContact; }
        std::uint16_t operator()(const TGpiImage&) const { return GpiTypeImage; }
        std::uint16_t operator()(const TGpiDescription&) const { return GpiTypeDescription; }
        std::uint16_t operator()(const TGpiOther& o) const { return o.Type; }
    };
    return std::visit(TTypeOf{}, part);
}

const TGpiAlert* TGpiPoint::Alert() const {
    for (const auto& part : Parts)
        if (const auto* alert = std::get_if<TGpiAlert>(&part)) return alert;
    return nullptr;
}

std::size_t TGpiArea::PointCount() const {
    std::size_t count = Points.size();
    for (const auto& area : Areas) count += area.PointCount();
    return count;
}

std::uint16_t TGpiFile::CodePage() const { return PoiHeader ? PoiHeader->CodePage : 1252; }

TGpiFile ParseGpi(Bytes content) {
    // The header record must at least show its type and signature.
    const bool hasExtra = content.size() >= 4 && (static_cast<unsigned char>(content[2]) & 8) != 0;
    const std::size_t mainOffset = hasExtra ? 12 : 8;
    if (content.size() < mainOffset + 6 || content[0] != '\0' || content[1] != '\0' ||
        content.compare(mainOffset, 6, "GRMREC") != 0)
        throw EReadError("not a GPI file: it does not start with a GRMREC header record");
    TGpiFile file;
    file.Content = std::make_shared<const Bytes>(std::move(content));
    TReader(file.Content, file).ReadFile();
    return file;
}

TGpiFile ReadGpiFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(PathFromUtf8(path), error))
        throw EFOpenError(Format("cannot open \"%s\": it is a folder", path.c_str()));
    // A GPI file is read no further than the size it reports and one byte
    // more: a file of the /proc kind that says it is empty and never ends
    // is refused, not read until memory runs out.
    const std::uint64_t size = std::filesystem::file_size(PathFromUtf8(path), error);
    Bytes content = ReadFileUpTo(
        path, error ? 0 : size + 1,
        TInputOptions{.CannotOpen = "cannot open \"%s\": %s", .CannotRead = "cannot read \"%s\": %s", .FullPath = false});
    if (!error && content.size() > size)
        throw EReadError(Format("\"%s\" holds more than the %llu bytes its size says", path.c_str(),
                                static_cast<unsigned long long>(size)));
    try {
        return ParseGpi(std::move(content));
    } catch (const EReadError& e) {
        throw EReadError(Format("\"%s\" is %s", path.c_str(), e.what()));
    }
}

}  // namespace kestro
