#include "app/sql_trace.h"

#include <gtest/gtest.h>

#include "app_world.h"

namespace app_test {
namespace {

TEST(MaskPasswords, HidesPasswordValues) {
    struct Case {
        const char* text;
        const char* masked;
    };
    const Case cases[] = {
        {"Provider=SQLOLEDB;User ID=sa;Password=norv2093;Data Source=X",
         "Provider=SQLOLEDB;User ID=sa;Password=****;Data Source=X"},
        {"Driver={SQL Server}; Server=S; UID=sa; PWD=p;q",
         "Driver={SQL Server}; Server=S; UID=sa; PWD=****;q"},
        {";jet oledb:database Password=kelp2093", ";jet oledb:database Password=****"},
        {"ALTER LOGIN sa WITH PASSWORD = N'it''s' , CHECK_POLICY = OFF",
         "ALTER LOGIN sa WITH PASSWORD = N'****' , CHECK_POLICY = OFF"},
        {"pwd = \"a;b\";x", "pwd = \"****\";x"},
        // Not a password key.
        {"SELECT mypwd=1, pwdx = 2", "SELECT mypwd=1, pwdx = 2"},
        {"UPDATE CONFIG SET 적용 ='x' WHERE 신규명 = '데이터_SQLPass'",
         "UPDATE CONFIG SET 적용 ='x' WHERE 신규명 = '데이터_SQLPass'"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::MaskPasswords(c.text), c.masked) << c.text;
}

TEST(MaskPasswords, HidesQuotedTextsEqualToASecret) {
    const std::vector<std::string> secrets = {"norv2093", "", "it's"};
    struct Case {
        const char* text;
        const char* masked;
    };
    const Case cases[] = {
        {"UPDATE CONFIG SET 적용 ='norv2093' WHERE 신규명 = '데이터_SQLPass'",
         "UPDATE CONFIG SET 적용 ='****' WHERE 신규명 = '데이터_SQLPass'"},
        {"VALUES('it''s', 'norv20931', '')", "VALUES('****', 'norv20931', '')"},
        {"SELECT norv2093 FROM T", "SELECT norv2093 FROM T"},  // not a quoted text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::MaskPasswords(c.text, secrets), c.masked) << c.text;
    }
}

TEST(DescribeDatabase, NamesTheDatabaseWithoutTheLogin) {
    struct Case {
        const char* connection;
        const char* described;
    };
    const Case cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=True;Data "
         "Source=C:\\Quillon\\Data\\DatMain.mdb;jet oledb:database Password=kelp2093",
         "MDB C:\\Quillon\\Data\\DatMain.mdb"},
        {"Provider=SQLOLEDB;User ID=sa;Initial Catalog=ZENTRIX;Data Source=STORE-SQL;Password=x;",
         "SQL Server STORE-SQL/ZENTRIX"},
        {"Driver={SQL Server}; Server=STORE-SQL; Database=ZENTRIX_DATA1; UID=sa; PWD=x",
         "SQL Server STORE-SQL/ZENTRIX_DATA1"},
        {"Driver={Microsoft Excel Driver (*.xls)};Dbq=C:\\a.xls;PWD=x",
         "Driver={Microsoft Excel Driver (*.xls)};Dbq=C:\\a.xls;PWD=****"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::DescribeDatabase(c.connection), c.described);
}

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

TEST_F(SqlTraceTest, TracesTheTableDefinitionChangesOfTheDaoHandle) {
    const auto file = temp_.Path() / "trace.sql";
    ASSERT_EQ(Start().outcome, app::StartupOutcome::Ready);
    app::frmDBPatchMain& form = *P().MainForm();
    bool ok = false;
    form.OpenDaoDatabase(0, ok);
    ASSERT_TRUE(ok);
    {
        app::SqlTrace trace(P(), file);
        db::DaoTableDefRef def = form.Context().DaoDatabase->TableDefs("직원관리");
        def->Fields.Append(def->CreateField("노르브아이디", db::DaoType::kText, 16));
    }
    EXPECT_EQ(host_test::ReadBytes(file),
              "-- #1 execute MDB C:\\Quillon\\Data\\DatMain.mdb\n"
              "ALTER TABLE [직원관리] ADD COLUMN [노르브아이디] TEXT(16)\n");
}

TEST_F(SqlTraceTest, StopsWithTheTraceObject) {
    const auto file = temp_.Path() / "trace.sql";
    { app::SqlTrace trace(P(), file); }
    ASSERT_EQ(Start().outcome, app::StartupOutcome::Ready);
    EXPECT_TRUE(host_test::ReadBytes(file).empty());
}

}  // namespace
}  // namespace app_test
