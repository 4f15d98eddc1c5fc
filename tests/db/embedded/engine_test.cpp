// Opening files, passwords, the lost-file detection and values read back by declared type.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "db/column_fit.h"
#include "db/embedded/case_file.h"
#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

namespace fs = std::filesystem;

OpenOptions Jet(std::string password = {}, bool create = false) {
    return OpenOptions{Dialect::Jet, std::move(password), create};
}

class EngineTest : public ::testing::Test {
  protected:
    TempDir dir_;
    fs::path file_ = dir_ / "store.mdb";
};

TEST_F(EngineTest, MissingFileIsAnErrorAndIsNotCreated) {
    const DbError e = ErrorOf([&] { Open(file_, Jet()); });
    EXPECT_EQ(e.Number(), ErrorNumber::kUnspecified);
    EXPECT_NE(e.Description().find("store.mdb"), std::string::npos);
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(EngineTest, FilesThatAreNoDatabaseAreRefused) {
    std::ofstream(file_) << "this is a text file, not a database, and long enough to say so";
    const fs::path empty = dir_ / "empty.mdb";
    std::ofstream{empty};
    for (const fs::path& f : {file_, empty, dir_.path()}) {
        const DbError e = ErrorOf([&] { Open(f, Jet()); });
        EXPECT_EQ(e.Number(), ErrorNumber::kUnspecified) << f;
        EXPECT_NE(e.Description().find("Unrecognized database format"), std::string::npos) << f;
    }
}

TEST_F(EngineTest, JetPasswordIsKeptInTheFileAndChecked) {
    Open(file_, Jet("비밀1", true))->Execute("CREATE TABLE t (a INT)", 30);
    EXPECT_NO_THROW(Open(file_, Jet("비밀1")));
    for (const char* wrong : {"", "비밀", "비밀1 "}) {
        const DbError e = ErrorOf([&] { Open(file_, Jet(wrong)); });
        EXPECT_EQ(e.Number(), ErrorNumber::kUnspecified) << wrong;
        EXPECT_NE(e.Description().find("password"), std::string::npos) << wrong;
    }
    // A database made without a password opens with any.
    Open(dir_ / "open.mdb", Jet("", true));
    EXPECT_NO_THROW(Open(dir_ / "open.mdb", Jet("whatever")));
}

TEST_F(EngineTest, LostFileIsDetectedBeforeTheNextStatement) {
    std::unique_ptr<Session> s = Open(file_, Jet("", true));
    s->Execute("CREATE TABLE t (a INT)", 30);
    s->Execute("INSERT INTO t VALUES (7)", 30);
    EXPECT_TRUE(s->Alive());

    const fs::path away = dir_ / "away.mdb";
    fs::rename(file_, away);
    const DbError e = ErrorOf([&] { s->Execute("SELECT * FROM t", 30); });
    EXPECT_EQ(e.Number(), ErrorNumber::kUnspecified);
    EXPECT_NE(e.Description().find("연결을"), std::string::npos);
    EXPECT_FALSE(s->Alive());
    EXPECT_THROW(s->SchemaInfo().Tables(), DbError);

    fs::rename(away, file_);
    EXPECT_FALSE(s->Alive());  // a lost session stays lost
    EXPECT_THROW(s->Execute("SELECT * FROM t", 30), DbError);
    std::unique_ptr<Session> again = Open(file_, Jet());
    EXPECT_EQ(FirstValue(*again, "SELECT a FROM t"), util::Variant(7));
}

TEST_F(EngineTest, ReplacedFileCountsAsLost) {
    std::unique_ptr<Session> s = Open(file_, Jet("", true));
    s->Execute("CREATE TABLE t (a INT)", 30);
    fs::copy_file(file_, dir_ / "copy.mdb");
    fs::remove(file_);
    fs::rename(dir_ / "copy.mdb", file_);
    EXPECT_FALSE(s->Alive());
}

// The kinds every engine shares are in the conformance tests; these are Jet's own. Texts that
// read as numbers stay texts.
TEST_F(EngineTest, ValuesComeBackByDeclaredTypeAndComputedOnesByTheirValues) {
    std::unique_ptr<Session> s = Open(file_, Jet("", true));
    s->Execute("CREATE TABLE v (t TEXT(10), m CURRENCY, b YESNO, z MEMO)", 30);
    s->Execute("INSERT INTO v VALUES ('00123', 12.5, True, '007')", 30);
    ExecOutcome out = s->Execute("SELECT * FROM v", 30);
    ASSERT_TRUE(out.rows);
    const std::vector<FieldDesc>& fields = out.rows->Fields();
    ASSERT_EQ(fields.size(), 4u);
    const int kTypes[] = {AdoType::kVarWChar, AdoType::kCurrency, AdoType::kBoolean,
                          AdoType::kLongVarWChar};
    for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i].adoType, kTypes[i]) << i;
    EXPECT_EQ(fields[0].size, 10);
    std::vector<util::Variant> row;
    ASSERT_TRUE(out.rows->Next(row));
    EXPECT_EQ(row, (std::vector<util::Variant>{util::Variant("00123"),
                                               util::Variant(util::Currency{125000}),
                                               util::Variant(true), util::Variant("007")}));
    // A computed column is described by its values.
    out = s->Execute("SELECT COUNT(*) AS Cnt, 1.5 AS x, 'k' AS y FROM v", 30);
    ASSERT_TRUE(out.rows);
    EXPECT_EQ(out.rows->Fields()[0].name, "Cnt");
    EXPECT_EQ(out.rows->Fields()[0].adoType, AdoType::kInteger);
    EXPECT_EQ(out.rows->Fields()[1].adoType, AdoType::kDouble);
    EXPECT_EQ(out.rows->Fields()[2].adoType, AdoType::kVarWChar);
}

// SQLite reads a statement only up to a NUL byte: texts holding NUL characters still go into
// the column whole, through literals of either dialect, and compare whole; and a text cut to a
// column's size keeps whole characters as each column type counts them.
TEST_F(EngineTest, TextsWithNulCharactersAndTextsCutToTheirColumn) {
    const std::string nul("앞\0뒤\0", 8);
    for (Dialect dialect : {Dialect::Jet, Dialect::SqlServer}) {
        const fs::path file = dir_ / (dialect == Dialect::Jet ? "nul.mdb" : "nul.sqlite");
        std::unique_ptr<Session> s = Open(file, OpenOptions{dialect, "", true});
        s->Execute("CREATE TABLE t (k INT, v NVARCHAR(10))", 30);
        s->Execute("INSERT INTO t VALUES (1, '" + nul + "')", 30);
        s->Execute("UPDATE t SET k = 2 WHERE v = '" + nul + "'", 30);
        const auto rows = AllRows(*s, "SELECT k, v FROM t");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0].AsInt(), 2);
        EXPECT_EQ(rows[0][1].AsText(), nul);
    }

    // The texts of tables/text_fits.txt, each cut to its column; a text fits when nothing is cut.
    ColumnInfo column;
    for (const Block& b : LoadBlocks("tables/text_fits.txt")) {
        column.typeName = b.at(1).second;
        column.size = std::stoi(b.at(2).second);
        EXPECT_EQ(FitText(b.at(0).second, column), b.at(3).second) << b.at(0).second;
        EXPECT_EQ(TextFits(b.at(0).second, column), b.at(0).second == b.at(3).second);
    }
    column.typeName = "MEMO";
    column.size = 0;
    EXPECT_TRUE(TextFits(std::string(9999, 'x'), column));
}

// Another connection holding the write lock makes the probe answer Busy (here without waiting);
// once it is gone the probe takes the lock and gives it back.
TEST_F(EngineTest, WriteAccessProbeSeesAnotherWriter) {
    std::unique_ptr<Session> s = Open(file_, Jet("", true));
    s->Execute("CREATE TABLE t (k INT)", 30);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(s->ProbeWriteAccess(0), WriteAccess::Busy);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(s->ProbeWriteAccess(0), WriteAccess::Available);
    // The probe left nothing open: the other connection writes at once.
    EXPECT_EQ(sqlite3_exec(other, "INSERT INTO t VALUES (1)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(FirstValue(*s, "SELECT COUNT(*) FROM t").AsInt(), 1);
}

// The change mark moves with a value or a table changed, not with what writes none: reads, an
// update that gives rows back their values (also rows written before a column was added), the
// session's own temporary objects. It keeps telling once the rows are no longer looked at, and a
// session never gives another's marks.
TEST_F(EngineTest, TheChangeMarkMovesWithChangedValuesAndTablesOnly) {
    std::unique_ptr<Session> s = Open(file_, Jet("", true));
    s->Execute("CREATE TABLE t (k INT, v TEXT(10))", 30);
    s->Execute("INSERT INTO t VALUES (1, 'a')", 30);
    s->Execute("INSERT INTO t VALUES (2, NULL)", 30);
    s->Execute("ALTER TABLE t ADD w INT", 30);
    const auto mark = [&] { return s->ChangeMark().value_or(-1); };
    std::int64_t before = mark();
    for (const char* unchanged :
         {"SELECT * FROM t", "UPDATE t SET v = 'a' WHERE k = 1", "UPDATE t SET v = v, w = w",
          "UPDATE t SET v = 'x' WHERE k = 3", "DELETE FROM t WHERE k = 3"}) {
        s->Execute(unchanged, 30);
        EXPECT_EQ(mark(), before) << unchanged;
    }
    for (const char* changed :
         {"UPDATE t SET v = NULL WHERE k = 1", "INSERT INTO t (k) VALUES (3)",
          "DELETE FROM t WHERE k = 3", "UPDATE t SET w = 0", "CREATE INDEX ix ON t (k)",
          "ALTER TABLE t ALTER COLUMN v TEXT(20)"}) {
        s->Execute(changed, 30);
        s->Execute("SELECT * FROM t", 30);  // after the change, the rows are no longer looked at
        const std::int64_t after = mark();
        EXPECT_NE(after, before) << changed;
        before = after;
    }
    std::unique_ptr<Session> other = Open(file_, Jet());
    EXPECT_NE(other->ChangeMark(), s->ChangeMark());
}

TEST_F(EngineTest, FilesStayReadableWithPlainSqlite) {
    {
        std::unique_ptr<Session> s = Open(file_, Jet("", true));
        s->Execute("CREATE TABLE t (a NVARCHAR(16), b TEXT(32), c MEMO, d MONEY)", 30);
        s->Execute("INSERT INTO t VALUES ('abc', 'x', 'y', 1)", 30);
        s->Execute("CREATE INDEX i ON t (a)", 30);
    }
    EXPECT_EQ(PlainRows(file_, "SELECT type FROM pragma_table_info('t')"),
              (std::vector<std::string>{"NVARCHAR(16)", "TEXT(32)", "MEMO TEXT", "MONEY"}));
    EXPECT_EQ(PlainRows(file_, "SELECT COUNT(*) FROM t WHERE a = 'ABC'"),
              std::vector<std::string>{"1"});
}

}  // namespace
}  // namespace db::embedded::testing
