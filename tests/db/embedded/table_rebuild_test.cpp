// Tables rebuilt by ALTER COLUMN and ADD PRIMARY KEY as the schema and plain SQLite see them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "db/embedded/embedded.h"
#include "db/embedded/server_helpers.h"
#include "db/embedded/temp_dir.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

class TableRebuildTest : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override { session_ = Open(file_, OpenOptions{GetParam(), "", true}); }
    void Run(std::string_view sql) { session_->Execute(sql, 30); }
    bool Jet() const { return GetParam() == Dialect::Jet; }
    Schema& schema() { return session_->SchemaInfo(); }

    ColumnInfo Column(const std::string& table, const std::string& name) {
        return ColumnNamed(schema(), table, name).value();
    }

    std::int32_t NumberOf(std::string_view sql) {
        return ErrorOf([&] { Run(sql); }).Number();
    }

    TempDir dir_;
    std::filesystem::path file_ = dir_ / "store.db";
    std::unique_ptr<Session> session_;
};

// 거래처마스터 with a named key, an index, a default and a row.
void MakePartners(Session& s) {
    s.Execute(
        "CREATE TABLE 거래처마스터 (거래처코드 NVARCHAR(6) NOT NULL, 대표자명 NVARCHAR(10), "
        "주문서발송 "
        "SMALLINT NULL CONSTRAINT DF_주문서발송 DEFAULT ((0)), 비고 VARCHAR(20), CONSTRAINT "
        "PK_거래처마스터 PRIMARY KEY (거래처코드))",
        30);
    s.Execute("CREATE INDEX 대표자명 ON 거래처마스터 (대표자명)", 30);
    s.Execute(
        "INSERT INTO 거래처마스터 (거래처코드, 대표자명, 비고) VALUES ('X00001', '김대표', 'b')",
        30);
}

// What the rebuilds do to the data is in cases/table_rebuild.txt; here, what the schema reports
// after them.
TEST_P(TableRebuildTest, TheSchemaReportsTheChangesAndKeepsTheRest) {
    MakePartners(*session_);
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(14)");
    // A sized text is TEXT(n) in Jet and VARCHAR(n) on the server, whose TEXT takes no width.
    Run(std::string("ALTER TABLE 거래처마스터 ALTER COLUMN 비고 ") +
        (Jet() ? "TEXT(30)" : "VARCHAR(30)") + " NOT NULL");

    const ColumnInfo& changed = Column("거래처마스터", "대표자명");
    EXPECT_EQ(changed.typeName, "NVARCHAR");
    EXPECT_EQ(changed.size, 14);
    EXPECT_EQ(Column("거래처마스터", "주문서발송").defaultText, "((0))");
    EXPECT_EQ(schema().Columns("거래처마스터").size(),
              4u);  // the column order and the other columns stay
    const ColumnInfo& note = Column("거래처마스터", "비고");
    EXPECT_EQ(note.typeName, Jet() ? "TEXT" : "VARCHAR");
    EXPECT_EQ(note.size, 30);
    EXPECT_FALSE(note.nullable);

    const std::vector<IndexInfo> indexes = schema().Indexes("거래처마스터");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0].name, "PK_거래처마스터");
    EXPECT_TRUE(indexes[0].primaryKey);
    EXPECT_EQ(indexes[1].name, "대표자명");
    EXPECT_EQ(indexes[1].columns, std::vector<std::string>{"대표자명"});

    Run("CREATE TABLE 확장바코드 (제품코드 NVARCHAR(10), 바코드코드 NVARCHAR(10) NOT NULL)");
    Run("CREATE INDEX 제품코드 ON 확장바코드 (제품코드)");
    Run("ALTER TABLE 확장바코드 ADD CONSTRAINT PK_확장바코드 PRIMARY KEY (바코드코드)");
    const std::vector<IndexInfo> added = schema().Indexes("확장바코드");
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].name, "PK_확장바코드");
    EXPECT_TRUE(added[0].primaryKey);
    EXPECT_EQ(added[0].columns, std::vector<std::string>{"바코드코드"});
    EXPECT_EQ(added[1].name, "제품코드");
}

TEST_P(TableRebuildTest, RebuiltFileStaysReadableWithPlainSqlite) {
    MakePartners(*session_);
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(4)");
    session_.reset();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file_.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(
        sqlite3_exec(raw, "INSERT INTO 거래처마스터 (거래처코드, 대표자명) VALUES ('Y1', 'abcd')",
                     nullptr, nullptr, &error),
        SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    EXPECT_EQ(
        sqlite3_exec(raw, "INSERT INTO 거래처마스터 (거래처코드, 대표자명) VALUES ('Y2', 'abcde')",
                     nullptr, nullptr, nullptr),
        SQLITE_CONSTRAINT);
    EXPECT_EQ(sqlite3_exec(raw, "PRAGMA integrity_check", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

// A width change that leaves the stored values alone edits the table's text: the rows keep their
// row numbers (a rebuild would number them anew), the triggers and indexes stay, the file checks
// out, and the caller's rollback takes the new width back.
TEST_P(TableRebuildTest, WidthChangesInPlaceKeepRowsTriggersAndRollBack) {
    MakePartners(*session_);
    Run("ALTER TABLE 거래처마스터 ADD 구분 CHAR(3)");
    Run("INSERT INTO 거래처마스터 (거래처코드, 대표자명) VALUES ('X00002', '이대표')");
    Run("INSERT INTO 거래처마스터 (거래처코드, 대표자명) VALUES ('X00003', '박대표')");
    Run("DELETE FROM 거래처마스터 WHERE 거래처코드 = 'X00001'");
    const auto numbers = [&] { return AllRows(*session_, "SELECT 거래처코드 FROM 거래처마스터"); };
    const auto before = numbers();
    const auto rowids = [&] {
        return PlainRows(file_, "SELECT group_concat(rowid) FROM 거래처마스터");
    };
    const auto numbered = rowids();

    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(14)");  // wider
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 비고 VARCHAR(4)");        // narrower, fits
    EXPECT_EQ(rowids(), numbered);
    EXPECT_EQ(numbers(), before);
    EXPECT_EQ(Column("거래처마스터", "대표자명").size, 14);
    EXPECT_EQ(schema().Indexes("거래처마스터").size(), 2u);
    EXPECT_EQ(
        FirstValue(*session_, "SELECT 거래처코드 FROM 거래처마스터 WHERE 대표자명 = '박대표'"),
        util::Variant("X00003"));
    Run("INSERT INTO 거래처마스터 (거래처코드, 대표자명, 구분) VALUES ('X00004', "
        "'가나다라마바사아자차카타', 'A')");
    // The server pads a CHAR value by its trigger, which the change left in place.
    EXPECT_EQ(FirstValue(*session_, "SELECT 구분 FROM 거래처마스터 WHERE 거래처코드 = 'X00004'"),
              util::Variant(Jet() ? "A" : "A  "));
    EXPECT_EQ(NumberOf("UPDATE 거래처마스터 SET 비고 = 'abcde'"), ErrorNumber::kTruncated);

    session_->BeginTransaction(0);
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(20)");
    Run("UPDATE 거래처마스터 SET 대표자명 = '가나다라마바사아자차카타파하거너' WHERE 거래처코드 = "
        "'X00002'");
    session_->RollbackTransaction();
    EXPECT_EQ(Column("거래처마스터", "대표자명").size, 14);
    EXPECT_EQ(
        NumberOf("UPDATE 거래처마스터 SET 대표자명 = '가나다라마바사아자차카타파하거너' WHERE "
                 "거래처코드 = 'X00002'"),
        ErrorNumber::kTruncated);

    EXPECT_EQ(PlainRows(file_, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

INSTANTIATE_TEST_SUITE_P(BothDialects, TableRebuildTest,
                         ::testing::Values(Dialect::Jet, Dialect::SqlServer), [](const auto& info) {
                             return info.param == Dialect::Jet ? "Jet" : "SqlServer";
                         });

}  // namespace
}  // namespace db::embedded::testing
