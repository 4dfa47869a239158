#include <gtest/gtest.h>

#include "diag/Exceptions.h"
#include "gpi/GpiUtil.h"
#include "gpi/RecordInPlace.h"
#include "support/TestSupport.h"

namespace kestro {
using test::Hex;

// A record's data length is 32 bits: one byte more than it holds is an
// error, never a wrapped length.
TEST(RecordLimit, LengthFieldAtItsEdge) {
    struct Case { std::uint64_t size; bool fits; };
    for (auto c : std::initializer_list<Case>{{0, true}, {0xFFFFFFFEull, true}, {0xFFFFFFFFull, true},
                                              {0x100000000ull, false}, {0x100000001ull, false},
                                              {0x1FFFFFFFFull, false}}) {
        if (c.fits) {
            EXPECT_EQ(RecordLength(c.size), static_cast<std::uint32_t>(c.size)) << c.size;
        } else {
            EXPECT_THROW(RecordLength(c.size), EFormatLimit) << c.size;
        }
    }
}

// Built in place or apart, a record is the same bytes.
TEST(RecordLimit, RecordBuiltInPlaceEqualsTheRecordBuiltApart) {
    Bytes out = "before";
    TRecordInPlace area(out, 8);
    out += "main";
    area.EndMain();
    EXPECT_TRUE(area.ExtraEmpty());
    out += "extra part";
    EXPECT_FALSE(area.ExtraEmpty());
    area.Finish();
    EXPECT_EQ(out, "before" + Hex("08 00 08 00 0E 00 00 00 04 00 00 00") + "mainextra part");

    TRecordInPlace group(out, 9, false);
    out += "abc";
    group.Finish();
    EXPECT_EQ(out.substr(out.size() - 11), Hex("09 00 00 00 03 00 00 00") + "abc");

    TRecordInPlace dropped(out, 8);
    out += "gone";
    dropped.Drop();
    EXPECT_EQ(out.substr(out.size() - 11), Hex("09 00 00 00 03 00 00 00") + "abc");
}

}  // namespace kestro
