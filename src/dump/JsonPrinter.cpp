#include "dump/JsonPrinter.h"

#include "dump/JsonWriter.h"
#include "gpi/PoiFields.h"
#include "gpi/TextDecoder.h"

namespace kestro {

namespace {

class TJsonDump {
public:
    TJsonDump(const TGpiFile& file, const TDumpOptions& options, std::ostream& out)
        : file_(file), options_(options), json_(out), decoder_(file.CodePage()) {}

    void Print() {
        json_.BeginObject();
        Int("size", file_.Size);
        json_.Key("header");
        PrintHeader(file_.Header);
        json_.Key("poiHeader");
        if (file_.PoiHeader) PrintPoiHeader(*file_.PoiHeader);
        else json_.Null();
        json_.Key("groups");
        json_.BeginArray();
        for (const auto& group : file_.Groups) PrintGroup(group);
        json_.EndArray();
        Others("records", file_.Records, true);
        json_.Key("end");
        if (file_.End) json_.Number(static_cast<long long>(*file_.End));
        else json_.Null();
        json_.EndObject();
        json_.Finish();
    }

private:
    void Int(const char* key, long long value) {
        json_.Key(key);
        json_.Number(value);
    }
    void Bytes8(const char* key, const Bytes& text) {
        json_.Key(key);
        json_.String(decoder_.Decode(text));
    }
    void Text(const char* key, const TGpiText& text) {
        json_.Key(key);
        json_.BeginArray(true);
        for (const auto& entry : text) {
            json_.BeginArray();
            json_.String(decoder_.Decode(entry.Language));
            json_.String(decoder_.Decode(entry.Text));
            json_.EndArray();
        }
        json_.EndArray();
    }

    void Other(const TGpiOther& other) {
        json_.BeginObject(true);
        Int("offset", static_cast<long long>(other.Offset));
        Int("type", other.Type);
        Int("flags", other.Flags);
        Int("mainSize", static_cast<long long>(other.MainSize));
        Int("extraSize", static_cast<long long>(other.ExtraSize));
        json_.EndObject();
    }
    template <class TList, class... TMore>
    void Others(const char* key, const TList& others, bool always, const TMore&... more) {
        if (others.empty() && (more.empty() && ...) && !always) return;
        json_.Key(key);
        json_.BeginArray();
        for (const auto& other : others) Other(other);
        (OthersOf(more), ...);
        json_.EndArray();
    }
    template <class TList>
    void OthersOf(const TList& others) {
        for (const auto& other : others) Other(other);
    }

    void PrintHeader(const TGpiHeader& h) {
        json_.BeginObject();
        Int("offset", static_cast<long long>(h.Offset));
        Bytes8("signature", h.Signature);
        if (options_.Stamp) Int("stamp", h.Stamp);
        Int("reserved", h.Reserved);
        Bytes8("fileName", h.FileName);
        Others("records", h.Records, true);
        json_.EndObject();
    }

    void PrintPoiHeader(const TGpiPoiHeader& h) {
        json_.BeginObject();
        Int("offset", static_cast<long long>(h.Offset));
        Bytes8("version", h.Version);
        Int("codePage", h.CodePage);
        Int("flags", h.Flags);
        if (h.Copyright) {
            const TGpiCopyright& c = *h.Copyright;
            json_.Key("copyright");
            json_.BeginObject();
            Int("offset", static_cast<long long>(c.Offset));
            Int("value0", c.Value0);
            Int("value4", c.Value4);
            json_.Key("texts");
            json_.BeginArray();
            for (const auto& text : c.Texts) {
                json_.BeginArray(true);
                for (const auto& entry : text) {
                    json_.BeginArray();
                    json_.String(decoder_.Decode(entry.Language));
                    json_.String(decoder_.Decode(entry.Text));
                    json_.EndArray();
                }
                json_.EndArray();
            }
            json_.EndArray();
            Int("trailingSize", static_cast<long long>(c.Trailing.size()));
            json_.EndObject();
        }
        Others("records", h.Records, true);
        json_.EndObject();
    }

    void PrintGroup(const TGpiGroup& g) {
        json_.BeginObject();
        Int("offset", static_cast<long long>(g.Offset));
        Text("name", g.Name);
        Int("pointCount", static_cast<long long>(g.Root ? g.Root->PointCount() : 0));
        json_.Key("area");
        if (g.Root) PrintArea(*g.Root);
        else json_.Null();
        json_.Key("categories");
        json_.BeginArray();
        for (const auto& c : g.Categories) {
            json_.BeginObject(true);
            Int("offset", static_cast<long long>(c.Offset));
            Int("number", c.Number);
            Text("name", c.Name);
            if (c.Bitmap) Int("bitmap", c.Bitmap->Number);
            Others("records", c.Records, false);
            json_.EndObject();
        }
        json_.EndArray();
        json_.Key("bitmaps");
        json_.BeginArray();
        for (const auto& b : g.Bitmaps) {
            json_.BeginObject(true);
            Int("offset", static_cast<long long>(b.Offset));
            Int("number", b.Number);
            Int("width", b.Width);
            Int("height", b.Height);
            Int("bitsPerPixel", b.BitsPerPixel);
            Int("rowSize", b.Stride);
            Int("paletteEntries", b.PaletteCount);
            json_.EndObject();
        }
        json_.EndArray();
        json_.Key("media");
        json_.BeginArray();
        for (const auto& m : g.Media) {
            json_.BeginObject(true);
            Int("offset", static_cast<long long>(m.Offset));
            Int("number", m.Number);
            Int("format", m.Format);
            json_.Key("entries");
            json_.BeginArray();
            for (const auto& entry : m.Entries) {
                json_.BeginArray();
                json_.String(decoder_.Decode(entry.Language));
                json_.Number(entry.Size);
                json_.EndArray();
            }
            json_.EndArray();
            json_.EndObject();
        }
        json_.EndArray();
        Others("records", g.MainRecords, true, g.Records);
        json_.EndObject();
    }

    void Edges(const char* key, const TGpiArea& a, bool degrees) {
        json_.Key(key);
        json_.BeginObject(true);
        const std::pair<const char*, std::int32_t> edges[] = {{"north", a.North}, {"east", a.East}, {"south", a.South}, {"west", a.West}};
        for (const auto& [name, value] : edges) {
            json_.Key(name);
            if (degrees) json_.RawNumber(DegreesText(value));
            else json_.Number(value);
        }
        json_.EndObject();
    }

    void PrintArea(const TGpiArea& a) {
        json_.BeginObject();
        Int("offset", static_cast<long long>(a.Offset));
        Int("depth", a.Depth);
        Edges("bounds", a, true);
        Edges("semicircles", a, false);
        Int("alert", a.AlertFlag);
        Int("pointCount", static_cast<long long>(a.PointCount()));
        json_.Key("areas");
        json_.BeginArray();
        for (const auto& sub : a.Areas) PrintArea(sub);
        json_.EndArray();
        json_.Key("points");
        json_.BeginArray();
        for (const auto& point : a.Points) PrintPoint(point);
        json_.EndArray();
        Others("records", a.Records, false);
        json_.EndObject();
    }

    void PrintPoint(const TGpiPoint& p) {
        json_.BeginObject();
        Int("offset", static_cast<long long>(p.Offset));
        json_.Key("lat");
        json_.RawNumber(DegreesText(p.Lat));
        json_.Key("lon");
        json_.RawNumber(DegreesText(p.Lon));
        Int("latSemicircles", p.Lat);
        Int("lonSemicircles", p.Lon);
        Int("word", p.Word);
        Int("alertFlag", p.AlertFlag);
        Text("name", p.Name);
        // Each kind of sub-record under its own key, in the writer's order;
        // repeated ones (other than images) are listed with the unknown records.
        std::vector<TGpiOther> others;
        std::vector<const TGpiPointPart*> firsts(std::variant_size_v<TGpiPointPart>, nullptr);
        std::vector<const TGpiImage*> images;
        for (const auto& part : p.Parts) {
            if (const auto* other = std::get_if<TGpiOther>(&part)) {
                others.push_back(*other);
            } else if (const auto* image = std::get_if<TGpiImage>(&part)) {
                images.push_back(image);
            } else {
                const std::size_t slot = part.index();
                if (firsts[slot] == nullptr) firsts[slot] = &part;
                else others.push_back(TGpiOther{PartOffset(part), PartType(part), 0, 0, 0, Bytes()});
            }
        }
        const std::size_t descriptionSlot = TGpiPointPart(TGpiDescription{}).index();
        for (std::size_t slot = 0; slot < descriptionSlot; ++slot)
            if (firsts[slot] != nullptr) PrintPart(*firsts[slot]);
        if (!images.empty()) {
            json_.Key("images");
            json_.BeginArray();
            for (const auto* image : images) {
                json_.BeginObject(true);
                Int("index", image->Index);
                Int("size", image->Size);
                json_.EndObject();
            }
            json_.EndArray();
        }
        if (firsts[descriptionSlot] != nullptr) PrintPart(*firsts[descriptionSlot]);
        Others("records", others, false);
        json_.EndObject();
    }

    void OptionalText(const char* key, const std::optional<TGpiText>& text) {
        if (text) Text(key, *text);
    }
    template <class TPart, std::size_t N>
    void Fields(const TPart& part, const std::array<TPoiField<TPart>, N>& table) {
        for (const auto& field : table) {
            if (field.Localized())
                OptionalText(field.JsonKey, part.*field.Text);
            else
                OptionalBytes(field.JsonKey, part.*field.Plain);
        }
    }
    void OptionalBytes(const char* key, const std::optional<Bytes>& text) {
        if (text) Bytes8(key, *text);
    }

    void PrintPart(const TGpiPointPart& part) {
        if (const auto* ref = std::get_if<TGpiCategoryRef>(&part)) {
            Int("category", ref->Number);
        } else if (const auto* ref = std::get_if<TGpiBitmapRef>(&part)) {
            Int("bitmap", ref->Number);
        } else if (const auto* alert = std::get_if<TGpiAlert>(&part)) {
            json_.Key("alert");
            json_.BeginObject(true);
            Int("distance", alert->Distance);
            Int("speed", alert->Speed);
            Int("kind", alert->Kind);
            if (alert->CustomSound()) Int("media", alert->Sound());
            json_.EndObject();
        } else if (const auto* comment = std::get_if<TGpiComment>(&part)) {
            Text("comment", comment->Text);
        } else if (const auto* address = std::get_if<TGpiAddress>(&part)) {
            json_.Key("address");
            json_.BeginObject();
            Fields(*address, AddressFields);
            json_.EndObject();
        } else if (const auto* contact = std::get_if<TGpiContact>(&part)) {
            json_.Key("contact");
            json_.BeginObject();
            Fields(*contact, ContactFields);
            json_.EndObject();
        } else if (const auto* description = std::get_if<TGpiDescription>(&part)) {
            json_.Key("description");
            json_.BeginObject(true);
            Int("kind", description->Kind);
            Text("text", description->Text);
            json_.EndObject();
        }
    }

    const TGpiFile& file_;
    const TDumpOptions& options_;
    TJsonWriter json_;
    TTextDecoder decoder_;
};

}  // namespace

void PrintJson(const TGpiFile& file, const TDumpOptions& options, std::ostream& out) {
    TJsonDump(file, options, out).Print();
}

}  // namespace kestro
