// Korean text through both families of ODBC calls. The SQLite driver implements only the
// narrow family, so the engine must choose it for that driver whatever the locale; the wide
// family (the one SQL Server's drivers get) is driven here through unixODBC's conversion, which
// follows the calling thread's locale and so needs a UTF-8 one.
#include "db/odbc/text_api.h"

#include <gtest/gtest.h>
#include <locale.h>

#include "db/embedded/case_file.h"
#include "db/odbc/handles.h"
#include "db/odbc/sqlite_odbc.h"

namespace db::odbc {
namespace {

// Switches the calling thread to a locale for the guard's lifetime.
class ThreadLocale {
  public:
    explicit ThreadLocale(const char* name)
        : locale_(newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0))),
          previous_(locale_ != static_cast<locale_t>(0) ? uselocale(locale_) : nullptr) {}
    ~ThreadLocale() {
        if (locale_ == static_cast<locale_t>(0)) return;
        uselocale(previous_);
        freelocale(locale_);
    }
    ThreadLocale(const ThreadLocale&) = delete;
    ThreadLocale& operator=(const ThreadLocale&) = delete;
    bool Active() const { return locale_ != static_cast<locale_t>(0); }

  private:
    locale_t locale_;
    locale_t previous_;
};

struct Family {
    const char* locale;
    bool wide;
};

// A connection to a fresh SQLite file made with raw handles, so that each family can be driven
// directly.
class TextFamily : public ::testing::TestWithParam<Family> {
  protected:
    void SetUp() override {
        if (!locale_.Active()) GTEST_SKIP() << "locale " << GetParam().locale << " is missing";
        std::string connection;
        ASSERT_NO_FATAL_FAILURE(
            odbc_test::SqliteConnectionString(folder_.Path() / "text.sqlite", connection));
        SQLRETURN rc = SQL_SUCCESS;
        env_ = AllocateHandle<SQL_HANDLE_ENV>(SQL_NULL_HANDLE, rc);
        SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      0);
        dbc_ = AllocateHandle<SQL_HANDLE_DBC>(env_.get(), rc);
        ASSERT_TRUE(SQL_SUCCEEDED(text_.DriverConnect(dbc_.get(), connection)));
        connected_ = true;
    }

    void TearDown() override {
        stmt_.reset();
        if (connected_) SQLDisconnect(dbc_.get());
    }

    SQLHSTMT NewStatement() {
        SQLRETURN rc = SQL_SUCCESS;
        stmt_ = AllocateHandle<SQL_HANDLE_STMT>(dbc_.get(), rc);
        return stmt_.get();
    }

    void Run(std::string_view sql) {
        ASSERT_TRUE(SQL_SUCCEEDED(text_.ExecDirect(NewStatement(), sql))) << sql;
    }

    ThreadLocale locale_{GetParam().locale};
    TextApi text_{GetParam().wide};
    odbc_test::ScratchFolder folder_;
    EnvHandle env_;
    DbcHandle dbc_;
    StmtHandle stmt_;
    bool connected_ = false;
};

TEST_P(TextFamily, TheNarrowOnlyDriverGetsTheNarrowFamily) {
    EXPECT_FALSE(ChooseTextApi(dbc_.get()).Wide());
}

TEST_P(TextFamily, CarriesKoreanBothWays) {
    std::string longText;
    for (int i = 0; i < 3000; ++i) longText += "한글";  // more than one read in either family
    ASSERT_NO_FATAL_FAILURE(Run("CREATE TABLE [약품] ([약품명] MEMO, [규격] NVARCHAR(20))"));
    ASSERT_NO_FATAL_FAILURE(Run("INSERT INTO [약품] VALUES ('" + longText + "', '10정')"));

    ASSERT_NO_FATAL_FAILURE(Run("SELECT * FROM [약품] WHERE [규격] = '10정'"));
    ColumnShape shape;
    ASSERT_TRUE(SQL_SUCCEEDED(text_.DescribeColumn(stmt_.get(), 2, shape)));
    EXPECT_EQ(shape.name, "규격");
    EXPECT_EQ(text_.ColumnTypeName(stmt_.get(), 2), "NVARCHAR");
    ASSERT_EQ(SQLFetch(stmt_.get()), SQL_SUCCESS);
    std::optional<std::string> value;
    ASSERT_TRUE(SQL_SUCCEEDED(text_.GetText(stmt_.get(), 1, value)));
    EXPECT_EQ(value, longText);
    ASSERT_TRUE(SQL_SUCCEEDED(text_.GetText(stmt_.get(), 2, value)));
    EXPECT_EQ(value, "10정");

    const SQLHSTMT columns = NewStatement();
    ASSERT_TRUE(SQL_SUCCEEDED(text_.Columns(columns, "약품")));
    ASSERT_EQ(SQLFetch(columns), SQL_SUCCESS);
    ASSERT_TRUE(SQL_SUCCEEDED(text_.GetText(columns, 4, value)));
    EXPECT_EQ(value, "약품명");

    const SQLHSTMT failing = NewStatement();
    EXPECT_FALSE(SQL_SUCCEEDED(text_.ExecDirect(failing, "SELECT * FROM [없는약품]")));
    const std::vector<DiagRecord> records = text_.Diagnostics(SQL_HANDLE_STMT, failing);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].sqlState, "HY000");
    EXPECT_NE(records[0].message.find("없는약품"), std::string::npos) << records[0].message;

    EXPECT_EQ(text_.InfoText(dbc_.get(), SQL_SEARCH_PATTERN_ESCAPE), "\\");
}

TEST_P(TextFamily, ReadsNullAndEmptyApart) {
    ASSERT_NO_FATAL_FAILURE(Run("SELECT NULL, ''"));
    ASSERT_EQ(SQLFetch(stmt_.get()), SQL_SUCCESS);
    std::optional<std::string> value = "x";
    ASSERT_TRUE(SQL_SUCCEEDED(text_.GetText(stmt_.get(), 1, value)));
    EXPECT_FALSE(value.has_value());
    ASSERT_TRUE(SQL_SUCCEEDED(text_.GetText(stmt_.get(), 2, value)));
    EXPECT_EQ(value, "");
}

// The drivers of tables/narrow_drivers.txt.
TEST(IsNarrowUtf8Driver, NamesOnlyTheSqliteDriver) {
    for (const embedded::testing::Block& b :
         embedded::testing::LoadBlocks("odbc/tables/narrow_drivers.txt")) {
        EXPECT_EQ(IsNarrowUtf8Driver(b.at(0).second), b.at(1).second == "yes") << b.at(0).second;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, TextFamily,
                         ::testing::Values(Family{"C", false}, Family{"C.UTF-8", true}),
                         [](const auto& info) { return info.param.wide ? "Wide" : "Narrow"; });

}  // namespace
}  // namespace db::odbc
