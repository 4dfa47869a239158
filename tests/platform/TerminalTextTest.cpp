#include <gtest/gtest.h>

#include "platform/TerminalText.h"

namespace kestro {
namespace {

TEST(TerminalText, ControlBytesEscapedOtherBytesKept) {
    struct Case { const char* text; const char* shown; };
    for (const auto& c : std::initializer_list<Case>{
             {"Caf\xC3\xA9 \\ \"x\" \xE2\x82\xAC \xF0\x9F\x98\x80", "Caf\xC3\xA9 \\ \"x\" \xE2\x82\xAC \xF0\x9F\x98\x80"},
             {"a\tb\nc\x1B[2J\x7F", "a\\x09b\\x0Ac\\x1B[2J\\x7F"},
             {"\xC2\x9B" "1m\xC2\x80\xC2\x9F\xC2\xA0", "\\u009B1m\\u0080\\u009F\xC2\xA0"},  // C1 controls; U+00A0 kept
             {"Caf\xE9 \x9B \x80\xC2", "Caf\xE9 \\x9B \\x80\xC2"},  // Latin-1 name kept; lone 0x80-0x9F escaped
             {"\xE2\x82 \xED\xA0\x80", "\xE2\\x82 \xED\xA0\\x80"},  // cut and surrogate sequences are no UTF-8
         }) {
        EXPECT_EQ(TerminalText(c.text), c.shown) << c.text;
    }
    EXPECT_EQ(TerminalText(std::string_view("a\0b", 3)), "a\\x00b");
}

// The last code point, U+10FFFF, is F4 8F BF BF; one past it is no UTF-8
// and reaches the terminal as single bytes, the lone 0x80 to 0x9F escaped.
TEST(TerminalText, PastTheLastCodePointIsNoUtf8) {
    EXPECT_EQ(TerminalText("\xF4\x8F\xBF\xBF"), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(TerminalText("\xF4\x90\x80\x80"), "\xF4\\x90\\x80\\x80");
}

}  // namespace
}  // namespace kestro
