#include <gtest/gtest.h>

#include <optional>

#include "store/GpiDB.h"
#include "store/SQLiteLibrary.h"

namespace kestro {
namespace {

// The library is initialised once for the whole test program, as the
// program main does.
class TSQLiteEnvironment : public ::testing::Environment {
public:
    void SetUp() override { library_.emplace(); }
    void TearDown() override { library_.reset(); }

private:
    std::optional<TSQLiteLibrary> library_;
};

[[maybe_unused]] ::testing::Environment* const Environment =
    ::testing::AddGlobalTestEnvironment(new TSQLiteEnvironment);

TEST(SQLiteLibraryTest, NestedGuardLeavesTheLibraryUsable) {
    { TSQLiteLibrary inner; }
    // The outer guard still holds the library: a store opens and indexes.
    auto store = CreatePoiStore();
    InsertPoi(*store, "x", false, 1.0f, 2.0f);
    EXPECT_EQ(CountInBox(*store, 0.0f, 0.0f, 3.0f, 3.0f), 1);
}

}  // namespace
}  // namespace kestro
