#include "patch/text.h"

#include <gtest/gtest.h>

#include "patch/run_context.h"
#include "repairs/store_world.h"

namespace {

TEST(Text, PutsInTheStoreCodeAndWrittenPiecesAtRunTime) {
    store_test::StoreWorld world(store_test::Kind::Mdb);
    patch::RunContext context(world.Runtime());
    const patch::Text text = patch::Compose(
        "VALUES('", patch::kStoreCode, "', '",
        [](patch::RunContext& c) { return std::to_string(c.PatchTarget); }, "')");
    world.Runtime().StoreCode = "0007";
    context.PatchTarget = 1;
    EXPECT_EQ(text.Render(context), "VALUES('0007', '1')");
    // The code is read at each rendering, not when the text is built.
    world.Runtime().StoreCode = "0100";
    EXPECT_EQ(text.Render(context), "VALUES('0100', '1')");
    EXPECT_EQ(text.Literal(), "VALUES('', '')");
}

TEST(Text, LinesEndEachPieceWithCrLf) {
    EXPECT_EQ(patch::Lines({" CREATE TABLE a( ", "  x int ", " ) "}).Literal(),
              " CREATE TABLE a( \r\n  x int \r\n ) \r\n");
    EXPECT_EQ(patch::Lines({}).Literal(), "");
}

}  // namespace
