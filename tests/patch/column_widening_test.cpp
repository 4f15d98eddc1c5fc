// What the widening leaves (column types, re-created indexes, each statement's failure passed
// over) is checked by the first half's run on the old store; here, that the window stays alive
// through the long widening but not through the short retyping.
#include "patch/column_widening.h"

#include <gtest/gtest.h>

#include "patch/patch_world.h"

namespace {

using patch_test::Kind;
using patch_test::PatchWorld;

TEST(ColumnWidening, YieldsAfterEachWideningStatementOnly) {
    PatchWorld world(Kind::SqlServer);
    world.MakeStore();
    const auto yields = [&] {
        return world.Desktop().CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size();
    };
    patch::ChangeProductColumnTypes(world.Runtime());
    EXPECT_EQ(yields(), 0u);
    patch::WidenProductColumns(world.Runtime());
    EXPECT_EQ(yields(), 31u);
    EXPECT_TRUE(world.Column("확장바코드", "규격"));
}

}  // namespace
