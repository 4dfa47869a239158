#include "dump/OutlinePrinter.h"

#include "diag/Exceptions.h"
#include "gpi/PoiFields.h"
#include "gpi/SoundFile.h"
#include "gpi/TextDecoder.h"

namespace kestro {

namespace {

class TOutline {
public:
    TOutline(const TGpiFile& file, const TDumpOptions& options, std::ostream& out)
        : file_(file), options_(options), out_(out), decoder_(file.CodePage()) {}

    void Print() {
        Line(0, Format("GPI file, %zu bytes", file_.Size));
        PrintHeader(file_.Header);
        if (file_.PoiHeader) PrintPoiHeader(*file_.PoiHeader);
        for (std::size_t i = 0; i < file_.Groups.size(); ++i) PrintGroup(file_.Groups[i], i + 1);
        for (const auto& other : file_.Records) PrintOther(0, other);
        if (file_.End) Line(0, "End @" + OffsetText(*file_.End));
        else Line(0, "No end record");
    }

private:
    void Line(int depth, const std::string& text) { out_ << std::string(static_cast<std::size_t>(depth) * 2, ' ') << text << '\n'; }

    std::string Quoted(const Bytes& text) { return QuoteForOutline(decoder_.Decode(text)); }

    // One line per field present: "Label: text".
    template <class TPart, std::size_t N>
    void Fields(int depth, const TPart& part, const std::array<TPoiField<TPart>, N>& table) {
        for (const auto& field : table) {
            const std::string label = std::string(field.Label) + ": ";
            if (field.Localized() && part.*field.Text) Line(depth, label + LangText(*(part.*field.Text)));
            if (!field.Localized() && part.*field.Plain) Line(depth, label + Quoted(*(part.*field.Plain)));
        }
    }

    // A language code without its quotes: EN
    std::string Language(const Bytes& code) {
        const std::string quoted = Quoted(code);
        return quoted.substr(1, quoted.size() - 2);
    }

    // EN "Metro", RU "Метро"
    std::string LangText(const TGpiText& text) {
        if (text.empty()) return "(no text)";
        std::string out;
        for (const auto& entry : text) {
            if (!out.empty()) out += ", ";
            out += Language(entry.Language) + ' ' + Quoted(entry.Text);
        }
        return out;
    }

    void PrintOther(int depth, const TGpiOther& other) {
        const char* name = GpiRecordName(other.Type);
        std::string text = Format("Record type %u", other.Type);
        if (*name != '\0') text += Format(" (%s)", name);
        text += Format(" @%s: main %zu bytes, extra %zu bytes", OffsetText(other.Offset).c_str(), other.MainSize, other.ExtraSize);
        if (!other.Preview.empty()) text += ": " + HexText(other.Preview) + (other.Preview.size() < other.MainSize ? " ..." : "");
        Line(depth, text);
    }

    void PrintHeader(const TGpiHeader& h) {
        Line(0, "Header @" + OffsetText(h.Offset) + ": " + Quoted(h.Signature));
        if (options_.Stamp) Line(1, Format("Stamp: %u", h.Stamp));
        if (h.Reserved != 0) Line(1, Format("Reserved: %u", h.Reserved));
        Line(1, "File name: " + Quoted(h.FileName));
        for (const auto& other : h.Records) PrintOther(1, other);
    }

    void PrintPoiHeader(const TGpiPoiHeader& h) {
        std::string text = Format("POI header @%s: version %s, code page %u", OffsetText(h.Offset).c_str(),
                                  Quoted(h.Version).c_str(), h.CodePage);
        if (!decoder_.Converts()) text += " (unknown; bytes above 127 shown as \\xNN)";
        if (h.Flags != 0) text += Format(", flags 0x%04X", h.Flags);
        Line(0, text);
        if (h.Copyright) {
            const TGpiCopyright& c = *h.Copyright;
            Line(1, Format("Copyright @%s: values %u, %u", OffsetText(c.Offset).c_str(), c.Value0, c.Value4));
            static const char* const labels[] = {"Source", "Copyright"};
            for (std::size_t i = 0; i < c.Texts.size(); ++i)
                Line(2, std::string(i < 2 ? labels[i] : "Text") + ": " + LangText(c.Texts[i]));
            if (!c.Trailing.empty()) Line(2, "Trailing bytes: " + HexText(c.Trailing));
        }
        for (const auto& other : h.Records) PrintOther(1, other);
    }

    void PrintGroup(const TGpiGroup& g, std::size_t number) {
        const std::size_t points = g.Root ? g.Root->PointCount() : 0;
        Line(0, Format("Group %zu @%s: %s, %zu point%s", number, OffsetText(g.Offset).c_str(), LangText(g.Name).c_str(),
                       points, points == 1 ? "" : "s"));
        if (g.Root) PrintArea(1, *g.Root);
        for (const auto& other : g.MainRecords) PrintOther(1, other);
        for (const auto& c : g.Categories) {
            Line(1, Format("Category %u @%s: %s", c.Number, OffsetText(c.Offset).c_str(), LangText(c.Name).c_str()));
            if (c.Bitmap) Line(2, Format("Bitmap: %u", c.Bitmap->Number));
            for (const auto& other : c.Records) PrintOther(2, other);
        }
        for (const auto& b : g.Bitmaps)
            Line(1, Format("Bitmap %u @%s: %u x %u pixels, %u bits per pixel, row size %u, palette %u entries", b.Number,
                           OffsetText(b.Offset).c_str(), b.Width, b.Height, b.BitsPerPixel, b.Stride, b.PaletteCount));
        for (const auto& m : g.Media) {
            std::string text = Format("Media %u @%s: format %u (%s)", m.Number, OffsetText(m.Offset).c_str(), m.Format,
                                      SoundFormatName(m.Format));
            for (const auto& entry : m.Entries) text += Format(", %s %u bytes", Language(entry.Language).c_str(), entry.Size);
            Line(1, text);
        }
        for (const auto& other : g.Records) PrintOther(1, other);
    }

    void PrintArea(int depth, const TGpiArea& a) {
        const std::size_t points = a.PointCount();
        std::string text = Format("Area @%s: N %s E %s S %s W %s, alert %u, %zu point%s", OffsetText(a.Offset).c_str(),
                                  DegreesText(a.North).c_str(), DegreesText(a.East).c_str(), DegreesText(a.South).c_str(),
                                  DegreesText(a.West).c_str(), a.AlertFlag, points, points == 1 ? "" : "s");
        if (!a.Areas.empty()) text += Format(" in %zu sub-area%s", a.Areas.size(), a.Areas.size() == 1 ? "" : "s");
        Line(depth, text);
        for (const auto& sub : a.Areas) PrintArea(depth + 1, sub);
        for (const auto& point : a.Points) PrintPoint(depth + 1, point);
        for (const auto& other : a.Records) PrintOther(depth + 1, other);
    }

    void PrintPoint(int depth, const TGpiPoint& p) {
        std::string text = Format("Point @%s: %s, %s (semicircles %d, %d), alert flag %u", OffsetText(p.Offset).c_str(),
                                  DegreesText(p.Lat).c_str(), DegreesText(p.Lon).c_str(), p.Lat, p.Lon, p.AlertFlag);
        if (p.Word != 1) text += Format(", word %u", p.Word);
        Line(depth, text);
        Line(depth + 1, "Name: " + LangText(p.Name));
        for (const auto& part : p.Parts) PrintPart(depth + 1, part);
    }

    void PrintPart(int depth, const TGpiPointPart& part) {
        if (const auto* ref = std::get_if<TGpiCategoryRef>(&part)) {
            Line(depth, Format("Category: %u", ref->Number));
        } else if (const auto* ref = std::get_if<TGpiBitmapRef>(&part)) {
            Line(depth, Format("Bitmap: %u", ref->Number));
        } else if (const auto* alert = std::get_if<TGpiAlert>(&part)) {
            if (alert->CustomSound()) {
                std::string text = Format("Alert: distance %u m, speed %u.%02u m/s (%s), sound: media %u",
                                          alert->Distance, alert->Speed / 100, alert->Speed % 100,
                                          SpeedText(alert->Speed).c_str(), alert->Sound());
                if (alert->Fixed != Bytes("\x00\x01\x10\x00\x01\x01", 6)) text += ", other bytes " + HexText(alert->Fixed);
                Line(depth, text);
                return;
            }
            const char* kind = alert->Kind == 5 ? "speed" : alert->Kind == 4 ? "proximity" : "unknown";
            std::string text = Format("Alert: distance %u m, speed %u.%02u m/s (%s), kind %u (%s)", alert->Distance,
                                      alert->Speed / 100, alert->Speed % 100, SpeedText(alert->Speed).c_str(), alert->Kind,
                                      kind);
            if (alert->Fixed != Bytes("\x00\x01\x10\x00\x01\x01", 6) || alert->Last != 0x10)
                text += ", other bytes " + HexText(alert->Fixed) + Format(" .. %02X", alert->Last);
            Line(depth, text);
        } else if (const auto* comment = std::get_if<TGpiComment>(&part)) {
            Line(depth, "Comment: " + LangText(comment->Text));
        } else if (const auto* address = std::get_if<TGpiAddress>(&part)) {
            Line(depth, "Address:");
            Fields(depth + 1, *address, AddressFields);
        } else if (const auto* contact = std::get_if<TGpiContact>(&part)) {
            Line(depth, "Contact:");
            Fields(depth + 1, *contact, ContactFields);
        } else if (const auto* image = std::get_if<TGpiImage>(&part)) {
            Line(depth, Format("Image %u: %u bytes", image->Index, image->Size));
        } else if (const auto* description = std::get_if<TGpiDescription>(&part)) {
            Line(depth, Format("Description (kind %u): ", description->Kind) + LangText(description->Text));
        } else if (const auto* other = std::get_if<TGpiOther>(&part)) {
            PrintOther(depth, *other);
        }
    }

    const TGpiFile& file_;
    const TDumpOptions& options_;
    std::ostream& out_;
    TTextDecoder decoder_;
};

}  // namespace

void PrintOutline(const TGpiFile& file, const TDumpOptions& options, std::ostream& out) {
    TOutline(file, options, out).Print();
}

}  // namespace kestro
