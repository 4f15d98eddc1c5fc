#include "app/sql_trace.h"

#include <gtest/gtest.h>

#include "app_world.h"

namespace app_test {
namespace {

class SqlTraceTest : public AppWorld {};

// The table definition changes of the DAO handle are traced too, until the trace object goes.
// (The statements of a whole run and their masked passwords: the command line's trace test.)
TEST_F(SqlTraceTest, TracesTheTableDefinitionChangesOfTheDaoHandleWhileItLives) {
    const auto file = temp_.Path() / "trace.sql";
    app::frmDBPatchMain& form = Window();
    bool ok = false;
    form.OpenDaoDatabase(0, ok);
    ASSERT_TRUE(ok);
    db::DaoTableDefRef def = form.Context().DaoDatabase->TableDefs("직원관리");
    {
        app::SqlTrace trace(P(), file);
        def->Fields.Append(def->CreateField("노르브아이디", db::DaoType::kText, 16));
    }
    def->Fields.Append(def->CreateField("추가", db::DaoType::kText, 16));
    EXPECT_EQ(host_test::ReadBytes(file),
              "-- #1 execute MDB C:\\Quillon\\Data\\DatMain.mdb\n"
              "ALTER TABLE [직원관리] ADD COLUMN [노르브아이디] TEXT(16)\n");
}

}  // namespace
}  // namespace app_test
