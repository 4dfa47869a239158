// Where a name's speed suffix starts: only at an "@" whose rest is a number.
#include <gtest/gtest.h>

#include <string>

#include "sources/SpeedSuffix.h"

namespace kestro {
namespace {

TEST(SpeedSuffix, OnlyANumberAfterTheAtCuts) {
    struct TCase {
        const char* name;
        std::size_t at;
    };
    constexpr auto None = std::string::npos;
    for (const auto& c : std::initializer_list<TCase>{
             {"Cam@40", 3}, {"@40", 0}, {"Cam@ 40", 3}, {"Cam@$32", 3}, {"Cam@0x10", 3}, {"Cam@-5", 3},
             {"Cam@50.5", 3}, {"Cam@fast@60", 8}, {"a@b@c", None}, {"Museum @ Black Hills", None},
             {"Museum @ 5th Avenue", None}, {"Bob@home", None}, {"Shop@", None}, {"Cam@40 ", 3},
             {"Cam@40km/h", None}, {"no at", None}, {"", None}}) {
        EXPECT_EQ(SpeedSuffixAt(c.name), c.at) << c.name;
    }
}

}  // namespace
}  // namespace kestro
