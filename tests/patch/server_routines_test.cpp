// The CREATE texts of the server routines: CR LF lines, and that SQL Server mode of the embedded
// engine records them as the routines it runs.
#include "patch/server_routines.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db/embedded/embedded.h"
#include "db/error.h"
#include "host/temp_folder.h"

namespace patch {
namespace {

TEST(ServerRoutinesTest, EveryLineEndsWithCrLf) {
    for (const std::string& text : {SplitFunctionText(), StockRecalcProcedureText()}) {
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
            }
            if (text[i] == '\r') {
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at " << i;
            }
        }
    }
}

TEST(ServerRoutinesTest, TheEmbeddedServerRecordsAndRunsThem) {
    host_test::TempFolder dir;
    auto s = db::embedded::Open(dir.Path() / "store.sqlite", {db::Dialect::SqlServer, "", true});
    s->Execute(SplitFunctionText(), 30);
    s->Execute(StockRecalcProcedureText(), 30);
    EXPECT_THROW(s->Execute(SplitFunctionText(), 30), db::DbError);  // exists already

    db::ExecOutcome kinds = s->Execute("SELECT name, xtype FROM SYSOBJECTS ORDER BY name", 30);
    std::vector<std::string> listed;
    std::vector<util::Variant> row;
    while (kinds.rows->Next(row)) listed.push_back(row[0].AsText() + ":" + row[1].AsText());
    EXPECT_EQ(listed, (std::vector<std::string>{"FN_SPLIT_nth:TF", "PR_NVMgt_U_StockReCalc:P"}));

    db::ExecOutcome split = s->Execute("SELECT PValue2 FROM dbo.FN_SPLIT_nth('a#b#$')", 30);
    ASSERT_TRUE(split.rows->Next(row));
    EXPECT_EQ(row[0], util::Variant("b"));
    // Without the store tables the procedure rolls back and reports nothing.
    EXPECT_NO_THROW(s->Execute("EXEC PR_NVMgt_U_StockReCalc '##P1#20201130#0001#$'", 30));
}

}  // namespace
}  // namespace patch
