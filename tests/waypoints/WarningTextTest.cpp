#include <gtest/gtest.h>

#include "waypoints/WarningText.h"

namespace kestro {
namespace {

const std::string Ellipsis = "\xE2\x80\xA6";

// At the cut of 200 bytes: whole texts up to it, and a four-byte character
// across it (starting at any of the three bytes before) cut off whole.
TEST(WarningText, CutNeverSplitsACharacter) {
    EXPECT_EQ(CutForWarning(std::string(200, 'a')), std::string(200, 'a'));
    EXPECT_EQ(CutForWarning(std::string(201, 'a')), std::string(200, 'a') + Ellipsis);
    const std::string emoji = "\xF0\x9F\x98\x80";
    for (std::size_t start = 196; start <= 200; ++start) {
        const std::string text = std::string(start, 'a') + emoji + "tail";
        const std::string kept = start + emoji.size() <= 200 ? std::string(start, 'a') + emoji : std::string(start, 'a');
        EXPECT_EQ(CutForWarning(text), kept + Ellipsis) << start;
    }
}

// A file's start shows bytes of no UTF-8 character as \xNN: past U+10FFFF,
// surrogates and overlong forms too; U+10FFFF itself stands.
TEST(WarningText, FileStartEscapesWhatIsNoCharacter) {
    EXPECT_EQ(FileStartForWarning("a\xF4\x8F\xBF\xBF"), "a\xF4\x8F\xBF\xBF");
    EXPECT_EQ(FileStartForWarning("a\xF4\x90\x80\x80"), "a\\xF4\\x90\\x80\\x80");
    EXPECT_EQ(FileStartForWarning("\xED\xA0\x80"), "\\xED\\xA0\\x80");
    EXPECT_EQ(FileStartForWarning("\xE0\x80\xAF"), "\\xE0\\x80\\xAF");
}

}  // namespace
}  // namespace kestro
