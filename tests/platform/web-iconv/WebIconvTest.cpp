// The browser's iconv face (platform/web/Iconv.cpp), built here against
// glibc's iconv: what it writes into a code page of one byte per character
// through its table must be what glibc writes, character by character, and
// what it reads must be glibc's reading. Only where glibc writes a letter as
// a base letter and a combining mark (1258) does the table write "?".
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/Iconv.h"

namespace kestro {
namespace {

std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// glibc's own conversion of one piece; "?" where it refuses it.
std::string Glibc(const std::string& target, const std::string& source, const std::string& piece) {
    iconv_t handle = iconv_open(target.c_str(), source.c_str());
    EXPECT_NE(handle, reinterpret_cast<iconv_t>(-1)) << target;
    char buffer[64];
    char* in = const_cast<char*>(piece.data());
    std::size_t inLeft = piece.size();
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const bool ok = iconv(handle, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
                    iconv(handle, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(handle);
    return ok ? std::string(buffer, out) : std::string("?");
}

// A refused UTF-8 character is one "?" (as the program's callers do); a
// byte that starts none, or a cut one, is one "?" each.
const TIconv::TRejected Question = [](const char* at, std::size_t left, std::string& out) {
    out += '?';
    const auto lead = static_cast<unsigned char>(*at);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    for (std::size_t i = 1; i < length; ++i)
        if (i >= left || (static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) return std::size_t{1};
    return length;
};

TEST(WebIconv, OneByteCodePagesWriteAndReadAsGlibcDoes) {
    for (const char* page : {"CP1250", "CP1251", "CP1252", "CP1253", "CP1254", "CP1255", "CP1256", "CP1257", "CP1258",
                             "ISO-8859-1", "ISO-8859-2", "ISO-8859-5", "ISO-8859-7", "ISO-8859-15", "KOI8-R", "KOI8-U",
                             "CP874", "CP437", "CP850"}) {
        SCOPED_TRACE(page);
        const TIconv to(page, "UTF-8");
        ASSERT_TRUE(to.Valid());
        // glibc writes Vietnamese letters into 1258 as base letter and tone
        // mark, and some marks as their twins: a table of the 256 bytes
        // writes "?" for those.
        const bool composing = std::string(page) == "CP1258";
        int composed = 0;
        for (char32_t c = 1; c < 0x3000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) continue;
            const std::string expected = Glibc(page, "UTF-8", Utf8(c));
            const std::string written = to.Convert(Utf8(c), Question);
            if (composing && expected != "?" && written == "?") {
                ++composed;
                continue;
            }
            ASSERT_EQ(written, expected) << "U+" << std::hex << static_cast<std::uint32_t>(c);
        }
        EXPECT_EQ(composed > 0, composing);
        // Bad UTF-8 in a text: each refused byte is one "?", the rest converts.
        EXPECT_EQ(to.Convert("A\xff" "B\xc3(C\xe2\x82", Question), "A?B?(C??");
        const TIconv from("UTF-8", page);
        ASSERT_TRUE(from.Valid());
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            ASSERT_EQ(from.Convert(byte, Question), Glibc("UTF-8", page, byte)) << b;
        }
    }
}

TEST(WebIconv, CodePagesOfSeveralBytesAreNotOffered) {
    for (const char* page : {"CP932", "CP936", "CP949", "CP950"}) {
        EXPECT_FALSE(TIconv(page, "UTF-8").Valid()) << page;
        EXPECT_TRUE(TIconv("UTF-32LE", page).Valid()) << page;  // reading them is the C library's
    }
    EXPECT_FALSE(TIconv("NO-SUCH-PAGE", "UTF-8").Valid());
}

TEST(WebIconv, PiecesAreWholeCharactersOrRefused) {
    const TIconv to("CP1250", "UTF-8");
    std::string out;
    bool incomplete = false;
    EXPECT_TRUE(to.ConvertPiece("\xc5\x99", out, incomplete));  // r with caron
    EXPECT_EQ(out, "\xf8");
    EXPECT_FALSE(to.ConvertPiece("\xc3", out, incomplete));
    EXPECT_TRUE(incomplete);
    EXPECT_FALSE(to.ConvertPiece("\xe2\x82\xac\xe8\x8c\xb6", out, incomplete));  // the euro fits, the tea does not
    EXPECT_FALSE(incomplete);
}

}  // namespace
}  // namespace kestro
