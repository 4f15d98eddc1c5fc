// The CREATE texts of the server routines: SQL Server mode of the embedded engine runs them.
#include "patch/server_routines.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db/embedded/embedded.h"
#include "db/error.h"
#include "host/temp_folder.h"

namespace patch {
namespace {

TEST(ServerRoutinesTest, TheEmbeddedServerRunsThem) {
    host_test::TempFolder dir;
    auto s = db::embedded::Open(dir.Path() / "store.sqlite", {db::Dialect::SqlServer, "", true});
    s->Execute(SplitFunctionText(), 30);
    s->Execute(StockRecalcProcedureText(), 30);
    EXPECT_THROW(s->Execute(SplitFunctionText(), 30), db::DbError);  // exists already

    std::vector<util::Variant> row;
    db::ExecOutcome split = s->Execute("SELECT PValue2 FROM dbo.FN_SPLIT_nth('a#b#$')", 30);
    ASSERT_TRUE(split.rows->Next(row));
    EXPECT_EQ(row[0], util::Variant("b"));
    // Without the store tables the procedure rolls back and reports nothing.
    EXPECT_NO_THROW(s->Execute("EXEC PR_NVMgt_U_StockReCalc '##P1#20201130#0001#$'", 30));
}

}  // namespace
}  // namespace patch
