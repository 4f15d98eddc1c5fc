// What the schema reports of each dialect's tables: declared types, defaults, keys and indexes,
// also after ALTER COLUMN and ADD PRIMARY KEY rebuilt a table, and what plain SQLite sees then.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

class SchemaTest : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override { session_ = Open(file_, OpenOptions{GetParam(), "pw", true}); }
    Schema& schema() { return session_->SchemaInfo(); }
    void Run(std::string_view sql) { session_->Execute(sql, 30); }
    bool Jet() const { return GetParam() == Dialect::Jet; }
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

struct TypeCase {
    std::string declared, typeName;
    int size, adoType;
};

// The types of tables/schema_types.txt that the mode takes, in one table.
TEST_P(SchemaTest, ReportsDeclaredTypes) {
    std::vector<TypeCase> types;
    for (const Block& b : LoadBlocks("embedded/tables/schema_types.txt")) {
        const std::string& ado = b.at(Jet() ? 3 : 4).second;
        if (ado == "refused") continue;
        types.push_back(
            {b.at(0).second, b.at(1).second, std::stoi(b.at(2).second), std::stoi(ado)});
    }
    std::string sql = "CREATE TABLE t (";
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (i > 0) sql += ", ";
        sql += "c" + std::to_string(i) + " " + types[i].declared;
    }
    Run(sql + ")");
    const std::vector<ColumnInfo> columns = schema().Columns("T");  // any letter case
    ASSERT_EQ(columns.size(), types.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const TypeCase& c = types[i];
        EXPECT_EQ(columns[i].name, "c" + std::to_string(i));
        EXPECT_EQ(columns[i].typeName, c.typeName) << c.declared;
        EXPECT_EQ(columns[i].size, c.size) << c.declared;
        EXPECT_EQ(columns[i].adoType, c.adoType) << c.declared;
        EXPECT_TRUE(columns[i].nullable) << c.declared;
    }
}

TEST_P(SchemaTest, ReportsAddedColumnsNullabilityAndDefaults) {
    Run("CREATE TABLE 거래처마스터 (거래처코드 NVARCHAR(6) NOT NULL, 비고 NVARCHAR(10))");
    Run("ALTER TABLE 거래처마스터 ADD 주문서발송 SMALLINT NULL CONSTRAINT DF_x DEFAULT ((0)) ");
    Run("ALTER TABLE 거래처마스터 ADD 팩스결과 NVARCHAR(10)");
    const std::vector<ColumnInfo> columns = schema().Columns("거래처마스터");
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_FALSE(columns[0].nullable);
    EXPECT_TRUE(columns[1].nullable);
    EXPECT_EQ(columns[2].name, "주문서발송");
    EXPECT_EQ(columns[2].defaultText, "((0))");
    EXPECT_FALSE(columns[3].defaultText.has_value());
    EXPECT_EQ(columns[3].size, 10);
}

TEST_P(SchemaTest, MissingTablesAndTheEnginesOwnTableAreNotFound) {
    EXPECT_TRUE(schema().Tables().empty());  // the table that keeps the password is not listed
    for (const char* table : {"없는테이블", "dp_meta", "sqlite_master"}) {
        const DbError e = ErrorOf([&] { schema().Columns(table); });
        EXPECT_EQ(e.Number(), ErrorNumber::kItemNotFound) << table;
        EXPECT_EQ(e.Description(),
                  "Item cannot be found in the collection corresponding to the requested name or "
                  "ordinal.");
    }
    EXPECT_TRUE(schema().Indexes("없는테이블").empty());
}

TEST_P(SchemaTest, ReportsIndexesWithTheirOwnNames) {
    Run("CREATE TABLE 확장바코드 (제품코드 NVARCHAR(10) NOT NULL, 바코드코드 NVARCHAR(10) "
        "NOT NULL, 상품위치 NVARCHAR(50), CONSTRAINT PK_확장바코드 PRIMARY KEY (제품코드, "
        "바코드코드))");
    Run("CREATE INDEX 상품위치 ON 확장바코드 (상품위치)");
    Run("CREATE TABLE 사용상품 (상품위치 NVARCHAR(50))");
    Run("CREATE UNIQUE INDEX 상품위치 ON 사용상품 (상품위치)");

    // Two tables hold an index of the same name; each reports its own under that name.
    const std::vector<IndexInfo> indexes = schema().Indexes("확장바코드");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0].name, "PK_확장바코드");
    EXPECT_EQ(indexes[1].name, "상품위치");
    EXPECT_FALSE(indexes[1].unique);

    const std::vector<IndexInfo> other = schema().Indexes("사용상품");
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].name, "상품위치");
    EXPECT_TRUE(other[0].unique);
}

TEST_P(SchemaTest, UnnamedKeyGetsTheDialectsName) {
    Run("CREATE TABLE 폼버튼퍼미션 (폼코드 NVARCHAR(10) PRIMARY KEY, 폼명 NVARCHAR(40))");
    const std::vector<IndexInfo> indexes = schema().Indexes("폼버튼퍼미션");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, Jet() ? "PrimaryKey" : "PK_폼버튼퍼미션");
    EXPECT_FALSE(schema().Columns("폼버튼퍼미션")[0].nullable);
}

TEST_P(SchemaTest, IdentityColumnsAreMarked) {
    if (Jet()) GTEST_SKIP() << "Jet has no IDENTITY";
    Run("CREATE TABLE 예약상품 (일련번호 smallint IDENTITY(1,1) NOT NULL, 비고 nvarchar(100) "
        "NULL)");
    const std::vector<ColumnInfo> columns = schema().Columns("예약상품");
    EXPECT_TRUE(columns[0].identity);
    EXPECT_EQ(columns[0].typeName, "smallint");
    EXPECT_EQ(columns[0].adoType, AdoType::kSmallInt);
    EXPECT_FALSE(columns[1].identity);
}

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
TEST_P(SchemaTest, TheSchemaReportsTheChangesAndKeepsTheRest) {
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

TEST_P(SchemaTest, RebuiltFileStaysReadableWithPlainSqlite) {
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
TEST_P(SchemaTest, WidthChangesInPlaceKeepRowsTriggersAndRollBack) {
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
    // A column given the definition it has (a fixed-size text too, which a rebuild would pad
    // anew) leaves the file unwritten.
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 구분 CHAR(3)");
    const auto version = PlainRows(file_, "PRAGMA schema_version");
    const auto renumbered = rowids();
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(14)");
    Run("ALTER TABLE 거래처마스터 ALTER COLUMN 구분 CHAR(3)");
    EXPECT_EQ(PlainRows(file_, "PRAGMA schema_version"), version);
    EXPECT_EQ(rowids(), renumbered);
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

INSTANTIATE_TEST_SUITE_P(BothDialects, SchemaTest,
                         ::testing::Values(Dialect::Jet, Dialect::SqlServer), [](const auto& info) {
                             return info.param == Dialect::Jet ? "Jet" : "SqlServer";
                         });

}  // namespace
}  // namespace db::embedded::testing
