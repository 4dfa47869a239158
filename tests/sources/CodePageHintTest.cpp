// The code page a warning suggests for text that became "?".
#include <gtest/gtest.h>

#include "sources/CodePageHint.h"

namespace kestro {
namespace {

TEST(CodePageHint, ScriptsAndTheirCodePages) {
    struct TCase {
        char32_t character;
        std::int32_t codePage;
    };
    for (const auto& c : std::initializer_list<TCase>{
             {0x00FF, 0},    {0x0100, 1257}, {0x0159, 1250}, {0x011F, 1254}, {0x017F, 1250}, {0x0180, 0},
             {0x036F, 0},    {0x0370, 1253}, {0x03FF, 1253}, {0x0400, 1251}, {0x0416, 1251}, {0x052F, 1251},
             {0x0530, 0},    {0x05D0, 1255}, {0x0627, 1256}, {0x0E01, 874},  {0x1EA0, 1258}, {0x3042, 932},
             {0x4E2D, 936},  {0xAC00, 949},  {0x1F600, 0}}) {
        EXPECT_EQ(CodePageOfScript(c.character), c.codePage) << std::hex << static_cast<std::uint32_t>(c.character);
    }
}

TEST(CodePageHint, WarningNamesTheCountAndTheCodePages) {
    EXPECT_EQ(ReplacedCharactersText(8, 0x041C, 1252),
              "8 characters not in code page 1252 became \"?\": set codepage=65001 in kestro.ini "
              "(or codepage=1251, the code page of that script)");
    EXPECT_EQ(ReplacedCharactersText(1, 0x1F600, 1251),
              "1 character not in code page 1251 became \"?\": set codepage=65001 in kestro.ini");
}

}  // namespace
}  // namespace kestro
