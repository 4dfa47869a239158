#include <gtest/gtest.h>

#include "waypoints/LinkPath.h"
#include "xml/XmlCodePage.h"

namespace kestro {
namespace {

TEST(LinkPath, HrefsBecomeFileSystemPaths) {
    struct Case { std::uint16_t codePage; const char* href; const char* path; };
    const std::uint16_t saved = XmlCodePage;
    for (auto c : std::initializer_list<Case>{
             {1252, "icons\\a.bmp", "icons/a.bmp"},
             {1252, "C:\\Photos\\x.jpg", "C:/Photos/x.jpg"},
             {1252, "Caf\xE9/M\xFCller.jpg", "Caf\xC3\xA9/M\xC3\xBCller.jpg"},
             {1250, "fotky\\\x8Elu\x9Dou\xE8k\xFD.jpg", "fotky/\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD.jpg"},
             {65001, "fotky\\\xC5\xBDlu\xC5\xA5.jpg", "fotky/\xC5\xBDlu\xC5\xA5.jpg"},
             {1252, "", ""}}) {
        XmlCodePage = c.codePage;
        EXPECT_EQ(LinkToPath(c.href), c.path) << c.href;
    }
    XmlCodePage = saved;
}

}  // namespace
}  // namespace kestro
