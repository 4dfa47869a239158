#pragma once
// The tagged value held by text nodes, element values and attributes. The
// type codes are those of the binary XML form, so values travel through it
// unchanged. The text reader produces only 8-bit text (String).
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

enum class TXmlVarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    SmallInt = 2,   // 16-bit signed
    Integer = 3,    // 32-bit signed
    Single = 4,     // 32-bit floating point
    Double = 5,     // 64-bit floating point
    Currency = 6,   // 64-bit integer of ten-thousandths
    Date = 7,       // date-time: days since 1899-12-30 as a double
    OleStr = 8,     // UTF-16 text
    Boolean = 11,
    ShortInt = 16,  // 8-bit signed
    Byte = 17,      // 8-bit unsigned
    Word = 18,      // 16-bit unsigned
    LongWord = 19,  // 32-bit unsigned
    Int64 = 20,
    String = 256,   // 8-bit text in the working code page
    ByteArray = 0x2011,
};

// Kept to 16 bytes: emptied waypoint elements keep their attribute storage,
// so the size of a value is part of the memory each waypoint leaves behind.
class TXmlVariant {
public:
    TXmlVariant() noexcept : Type_(TXmlVarType::Empty), Int_(0) {}
    TXmlVariant(std::string_view text);
    TXmlVariant(const char* text) : TXmlVariant(std::string_view(text)) {}
    TXmlVariant(const std::string& text) : TXmlVariant(std::string_view(text)) {}
    TXmlVariant(const TXmlVariant& other);
    TXmlVariant(TXmlVariant&& other) noexcept;
    TXmlVariant& operator=(const TXmlVariant& other);
    TXmlVariant& operator=(TXmlVariant&& other) noexcept;
    ~TXmlVariant() { FreeBlock(); }

    // Integer kinds (SmallInt, Integer, ShortInt, Byte, Word, LongWord, Int64,
    // Currency as ten-thousandths); the value is cut to the kind's width.
    static TXmlVariant FromInt(std::int64_t value, TXmlVarType type = TXmlVarType::Int64);
    // Single, Double or Date.
    static TXmlVariant FromFloat(double value, TXmlVarType type = TXmlVarType::Double);
    static TXmlVariant FromBool(bool value);
    static TXmlVariant FromDateTime(double days) { return FromFloat(days, TXmlVarType::Date); }
    static TXmlVariant FromWide(std::u16string_view text);
    static TXmlVariant FromBytes(std::string_view bytes);
    static TXmlVariant MakeNull();

    TXmlVarType Type() const noexcept { return Type_; }
    bool IsEmpty() const noexcept { return Type_ == TXmlVarType::Empty; }
    bool IsText() const noexcept { return Type_ == TXmlVarType::String; }

    // The value as 8-bit text: "" for empty and null, numbers in decimal with
    // ".", booleans "1"/"0", date-times "YYYY-MM-DDThh:mm:ss", byte arrays as
    // their bytes, UTF-16 text as UTF-8.
    std::string AsText() const;
    // The stored bytes of String and ByteArray values; empty for other types.
    std::string_view TextView() const noexcept;
    // The UTF-16 units of an OleStr value; empty for other types.
    std::u16string WideText() const;
    std::int64_t IntValue() const noexcept { return Int_; }
    double FloatValue() const noexcept { return Float_; }
    bool BoolValue() const noexcept { return Int_ != 0; }

    friend bool operator==(const TXmlVariant& a, const TXmlVariant& b) noexcept;

private:
    bool HoldsBlock() const noexcept;
    std::string_view BlockView() const noexcept;
    void SetBlock(const void* data, std::size_t size);
    void FreeBlock() noexcept;

    TXmlVarType Type_;
    union {
        std::int64_t Int_;
        double Float_;
        char* Block_;  // size_t length, the bytes, a 0 byte
    };
};

// UTF-16 units as UTF-8; a lone surrogate becomes U+FFFD.
std::string XmlWideToUtf8(std::u16string_view text);

}  // namespace kestro
