#include "xml/XmlVariant.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/NumberFormat.h"
#include "platform/TextConversion.h"

namespace kestro {

namespace {

std::string FloatText(double value, bool single) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    // The shortest text that reads back as the same number, so values keep
    // every bit through written XML.
    return single ? ShortestNumberText(static_cast<float>(value)) : ShortestNumberText(value);
}

std::string CurrencyText(std::int64_t tenThousandths) {
    // Magnitude in unsigned arithmetic, so the smallest value has one too.
    std::uint64_t magnitude = tenThousandths < 0 ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                                 : static_cast<std::uint64_t>(tenThousandths);
    std::string text = tenThousandths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(fraction));
        std::string tail = digits;
        while (tail.back() == '0') tail.pop_back();
        text += "." + tail;
    }
    return text;
}

// Days since 1899-12-30 (the fraction is the time of day) as
// "YYYY-MM-DDThh:mm:ss"; "" outside the years 1 to 9999.
std::string DateTimeText(double days) {
    if (!std::isfinite(days) || days < -693594.0 || days >= 2958466.0) return "";
    double whole = std::trunc(days);
    auto dayNumber = static_cast<std::int64_t>(whole);
    auto milliseconds = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * 86400000.0));
    if (milliseconds >= 86400000) {
        milliseconds -= 86400000;
        dayNumber += days < 0 ? -1 : 1;
    }
    // Civil date from a day count (1970-01-01 is day 25569 of this count).
    std::int64_t z = dayNumber - 25569 + 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t dayOfEra = z - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    std::int64_t seconds = milliseconds / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d", static_cast<int>(year),
                  static_cast<int>(month), static_cast<int>(day), static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = 0xFFFD;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

}  // namespace

TXmlVariant::TXmlVariant(std::string_view text) : Type_(TXmlVarType::String), Block_(nullptr) {
    SetBlock(text.data(), text.size());
}

TXmlVariant::TXmlVariant(const TXmlVariant& other) : Type_(other.Type_), Int_(other.Int_) {
    if (other.HoldsBlock()) {
        Block_ = nullptr;
        std::string_view bytes = other.BlockView();
        SetBlock(bytes.data(), bytes.size());
    }
}

TXmlVariant::TXmlVariant(TXmlVariant&& other) noexcept : Type_(other.Type_), Int_(other.Int_) {
    other.Type_ = TXmlVarType::Empty;
    other.Int_ = 0;
}

TXmlVariant& TXmlVariant::operator=(const TXmlVariant& other) {
    if (this != &other) *this = TXmlVariant(other);
    return *this;
}

TXmlVariant& TXmlVariant::operator=(TXmlVariant&& other) noexcept {
    if (this != &other) {
        FreeBlock();
        Type_ = other.Type_;
        Int_ = other.Int_;
        other.Type_ = TXmlVarType::Empty;
        other.Int_ = 0;
    }
    return *this;
}

TXmlVariant TXmlVariant::FromInt(std::int64_t value, TXmlVarType type) {
    TXmlVariant result;
    result.Type_ = type;
    switch (type) {
        case TXmlVarType::SmallInt: result.Int_ = static_cast<std::int16_t>(value); break;
        case TXmlVarType::Integer: result.Int_ = static_cast<std::int32_t>(value); break;
        case TXmlVarType::ShortInt: result.Int_ = static_cast<std::int8_t>(value); break;
        case TXmlVarType::Byte: result.Int_ = static_cast<std::uint8_t>(value); break;
        case TXmlVarType::Word: result.Int_ = static_cast<std::uint16_t>(value); break;
        case TXmlVarType::LongWord: result.Int_ = static_cast<std::uint32_t>(value); break;
        case TXmlVarType::Int64:
        case TXmlVarType::Currency: result.Int_ = value; break;
        default: result.Type_ = TXmlVarType::Int64; result.Int_ = value; break;
    }
    return result;
}

TXmlVariant TXmlVariant::FromFloat(double value, TXmlVarType type) {
    TXmlVariant result;
    result.Type_ = type;
    if (type == TXmlVarType::Single) {
        // Out-of-range doubles become infinities instead of an undefined narrowing.
        if (std::isfinite(value) && std::fabs(value) > FLT_MAX) value = value > 0 ? INFINITY : -INFINITY;
        value = static_cast<float>(value);
    } else if (type != TXmlVarType::Date) {
        result.Type_ = TXmlVarType::Double;
    }
    result.Float_ = value;
    return result;
}

TXmlVariant TXmlVariant::FromBool(bool value) {
    TXmlVariant result;
    result.Type_ = TXmlVarType::Boolean;
    result.Int_ = value ? 1 : 0;
    return result;
}

TXmlVariant TXmlVariant::FromWide(std::u16string_view text) {
    TXmlVariant result;
    result.Type_ = TXmlVarType::OleStr;
    result.Block_ = nullptr;
    result.SetBlock(text.data(), text.size() * sizeof(char16_t));
    return result;
}

TXmlVariant TXmlVariant::FromBytes(std::string_view bytes) {
    TXmlVariant result;
    result.Type_ = TXmlVarType::ByteArray;
    result.Block_ = nullptr;
    result.SetBlock(bytes.data(), bytes.size());
    return result;
}

TXmlVariant TXmlVariant::MakeNull() {
    TXmlVariant result;
    result.Type_ = TXmlVarType::Null;
    return result;
}

bool TXmlVariant::HoldsBlock() const noexcept {
    return Type_ == TXmlVarType::String || Type_ == TXmlVarType::OleStr || Type_ == TXmlVarType::ByteArray;
}

void TXmlVariant::SetBlock(const void* data, std::size_t size) {
    if (size == 0) {
        Block_ = nullptr;
        return;
    }
    char* block = std::allocator<char>().allocate(sizeof(std::size_t) + size + 1);
    std::memcpy(block, &size, sizeof size);
    std::memcpy(block + sizeof size, data, size);
    block[sizeof size + size] = '\0';
    Block_ = block;
}

void TXmlVariant::FreeBlock() noexcept {
    if (HoldsBlock() && Block_) {
        std::size_t size;
        std::memcpy(&size, Block_, sizeof size);
        std::allocator<char>().deallocate(Block_, sizeof(std::size_t) + size + 1);
        Block_ = nullptr;
    }
}

std::string_view TXmlVariant::BlockView() const noexcept {
    if (!HoldsBlock() || !Block_) return {};
    std::size_t size;
    std::memcpy(&size, Block_, sizeof size);
    return {Block_ + sizeof size, size};
}

std::string_view TXmlVariant::TextView() const noexcept {
    return Type_ == TXmlVarType::String || Type_ == TXmlVarType::ByteArray ? BlockView() : std::string_view();
}

std::u16string TXmlVariant::WideText() const {
    if (Type_ != TXmlVarType::OleStr || !Block_) return {};
    std::size_t size;
    std::memcpy(&size, Block_, sizeof size);
    std::u16string text(size / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), Block_ + sizeof size, text.size() * sizeof(char16_t));
    return text;
}

std::string TXmlVariant::AsText() const {
    switch (Type_) {
        case TXmlVarType::Empty:
        case TXmlVarType::Null: return "";
        case TXmlVarType::SmallInt:
        case TXmlVarType::Integer:
        case TXmlVarType::ShortInt:
        case TXmlVarType::Byte:
        case TXmlVarType::Word:
        case TXmlVarType::LongWord:
        case TXmlVarType::Int64: return std::to_string(Int_);
        case TXmlVarType::Single: return FloatText(Float_, true);
        case TXmlVarType::Double: return FloatText(Float_, false);
        case TXmlVarType::Currency: return CurrencyText(Int_);
        case TXmlVarType::Date: return DateTimeText(Float_);
        case TXmlVarType::Boolean: return Int_ ? "1" : "0";
        case TXmlVarType::OleStr: return WideToUtf8(WideText());
        case TXmlVarType::String:
        case TXmlVarType::ByteArray: return std::string(TextView());
    }
    return "";
}

bool operator==(const TXmlVariant& a, const TXmlVariant& b) noexcept {
    if (a.Type_ != b.Type_) return false;
    switch (a.Type_) {
        case TXmlVarType::Empty:
        case TXmlVarType::Null: return true;
        case TXmlVarType::Single:
        case TXmlVarType::Double:
        case TXmlVarType::Date: return a.Float_ == b.Float_;
        case TXmlVarType::OleStr:
        case TXmlVarType::String:
        case TXmlVarType::ByteArray: return a.BlockView() == b.BlockView();
        default: return a.Int_ == b.Int_;
    }
}

std::string XmlWideToUtf8(std::u16string_view text) { return WideToUtf8(text); }

}  // namespace kestro
