#include "app/sql_trace.h"

#include <gtest/gtest.h>

#include "app_world.h"

namespace app_test {
namespace {

class SqlTraceTest : public AppWorld {};

TEST_F(SqlTraceTest, TracesEveryStatementOfAStartAndARunWithoutPasswords) {
    const auto file = temp_.Path() / "trace.sql";
    {
        app::SqlTrace trace(P(), file);
        ASSERT_TRUE(trace.Ok());
        ASSERT_EQ(Start().outcome, app::StartupOutcome::Ready);
        P().MainForm()->cmdStart_Click();
        EXPECT_GT(trace.Count(), 10);
    }
    const std::string text = host_test::ReadBytes(file);
    for (const char* expected :
         {"-- #1 query MDB C:\\Quillon\\Data\\DatMain.mdb\nSELECT * FROM CONFIGPC WHERE 피씨코드 = "
          "'0000000001'\n",
          "UPDATE [CONFIG] SET 적용 ='****' WHERE 신규명 = '데이터_SQLPass'\n",
          "query SQL Server STORE-SQL/ZENTRIX_DATA1\nSELECT * FROM CONFIG WHERE DEL_CHK=0 and "
          "대그룹=3",
          "execute MDB C:\\Quillon\\Data\\DatMain.mdb\nINSERT INTO PATCH_HIST"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
    for (const char* secret : {demo::kDemoServerPassword, demo::kStoreMdbPassword}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
}

// The table definition changes of the DAO handle are traced too, until the trace object goes.
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
