#include <gtest/gtest.h>

#include <sstream>

#include "pipeline/OrderedOutput.h"

namespace kestro {
namespace {

// Text kept for later comes out in the order written, each part on its own
// stream; taking it leaves nothing behind.
TEST(OrderedOutput, ShowsWhatWasWrittenInOrderOnItsStream) {
    TOrderedOutput kept;
    kept.Out() << "Group: A\n" << "  File: a.gpx\n";
    kept.Err() << "kestro: warning: a.gpx: " << 42 << '\n';
    kept.Out() << '\n';
    kept.Err() << std::string(3, 'x');
    kept.Out() << "    1 POIs\n";
    const auto chunks = kept.Take();
    EXPECT_TRUE(kept.Empty());
    EXPECT_EQ(chunks.size(), 5u);

    std::ostringstream both, out, err;
    TOrderedOutput::Show(chunks, both, both);
    EXPECT_EQ(both.str(), "Group: A\n  File: a.gpx\nkestro: warning: a.gpx: 42\n\nxxx    1 POIs\n");
    TOrderedOutput::Show(chunks, out, err);
    EXPECT_EQ(out.str(), "Group: A\n  File: a.gpx\n\n    1 POIs\n");
    EXPECT_EQ(err.str(), "kestro: warning: a.gpx: 42\nxxx");
    kept.ShowOn(out, err);
    EXPECT_EQ(out.str(), "Group: A\n  File: a.gpx\n\n    1 POIs\n");
}

}  // namespace
}  // namespace kestro
