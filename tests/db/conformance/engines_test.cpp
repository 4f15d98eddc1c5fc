// One body per behaviour, run for every engine: the embedded engine in Jet mode and in SQL
// Server mode, ODBC through Debian's SQLite ODBC driver, and ODBC to a real SQL Server when
// DATAPATCH_TEST_MSSQL holds a driver connection string (skipped otherwise). Where the engines
// differ, the difference is a branch here, chosen by engine, never a copied test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/ascii_text.h"
#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"
#include "db/odbc/odbc.h"
#include "db/odbc/sqlite_odbc.h"
#include "db/schema.h"
#include "db/session.h"
#include "util/date_serial.h"

namespace conformance {
namespace {

enum class Engine { EmbeddedJet, EmbeddedSqlServer, OdbcSqlite, OdbcSqlServer };

std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    static const char* const kNames[] = {"EmbeddedJet", "EmbeddedSqlServer", "OdbcSqlite",
                                         "OdbcSqlServer"};
    return kNames[static_cast<int>(info.param)];
}

using db::embedded::testing::Show;

constexpr const char* kMssqlVariable = "DATAPATCH_TEST_MSSQL";
constexpr int kTimeout = 30;

// The statement texts and declared type names that differ between the engines' dialects.
struct DialectTexts {
    const char* text16;    // a 16-character text column
    const char* text40;    // a 40-character text column
    const char* textName;  // the type name the schema reports for both
    const char* money;     // a currency column
    const char* real;      // a double column
};

class EngineTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        switch (GetParam()) {
            case Engine::EmbeddedJet:
            case Engine::EmbeddedSqlServer: {
                db::embedded::OpenOptions options;
                options.dialect =
                    GetParam() == Engine::EmbeddedJet ? db::Dialect::Jet : db::Dialect::SqlServer;
                options.create = true;
                const auto file = GetParam() == Engine::EmbeddedJet
                                      ? folder_.Path() / "store.mdb"
                                      : db::embedded::ServerDatabaseFile(folder_.Path(), "NVMAIN");
                session_ = db::embedded::Open(file, options);
                break;
            }
            case Engine::OdbcSqlite: {
                std::string connection;
                ASSERT_NO_FATAL_FAILURE(
                    odbc_test::SqliteConnectionString(folder_.Path() / "odbc.sqlite", connection));
                session_ = db::odbc::Open(connection, db::Dialect::SqlServer, kTimeout);
                break;
            }
            case Engine::OdbcSqlServer: {
                const char* connection = std::getenv(kMssqlVariable);
                if (connection == nullptr || *connection == '\0') {
                    GTEST_SKIP() << "no SQL Server to test: set " << kMssqlVariable
                                 << " to an ODBC driver connection string";
                }
                session_ = db::odbc::Open(connection, db::Dialect::SqlServer, kTimeout);
                break;
            }
        }
    }

    // Tables made on a real server are dropped again; the file engines start empty each time.
    void TearDown() override {
        if (!session_ || GetParam() != Engine::OdbcSqlServer) return;
        for (const std::string& table : created_) {
            try {
                session_->Execute("DROP TABLE [" + table + "]", kTimeout);
            } catch (const db::DbError&) {
            }
        }
    }

    bool Is(Engine engine) const { return GetParam() == engine; }
    bool IsJet() const { return Is(Engine::EmbeddedJet); }

    const DialectTexts& Texts() const {
        static const DialectTexts kJet{"TEXT(16)", "TEXT(40)", "TEXT", "CURRENCY", "DOUBLE"};
        static const DialectTexts kSqlServer{"NVARCHAR(16)", "NVARCHAR(40)", "NVARCHAR", "MONEY",
                                             "FLOAT"};
        return IsJet() ? kJet : kSqlServer;
    }

    // A date-time literal for "yyyy-mm-dd hh:mm:ss": Jet's #…#; SQL Server's ISO form, which
    // no language setting reads otherwise; a plain text for the SQLite driver.
    std::string DateLiteral(std::string_view text) const {
        if (IsJet()) return "#" + std::string(text) + "#";
        std::string literal(text);
        if (Is(Engine::OdbcSqlServer)) literal[10] = 'T';
        return "'" + literal + "'";
    }

    // A text literal; Unicode (N'…') in T-SQL, so that a server whose collation is not Korean
    // keeps the text. Jet and SQLite have no such prefix.
    std::string TextLiteral(std::string_view text) const {
        const bool tsql = Is(Engine::EmbeddedSqlServer) || Is(Engine::OdbcSqlServer);
        return (tsql ? "N'" : "'") + std::string(text) + "'";
    }

    // Creates a table, first dropping one of that name left on a real server by an earlier run.
    void CreateTable(const std::string& table, const std::string& columns) {
        if (Is(Engine::OdbcSqlServer)) {
            session_->Execute(
                "IF OBJECT_ID(N'" + table + "', N'U') IS NOT NULL DROP TABLE [" + table + "]",
                kTimeout);
        }
        created_.push_back(table);
        session_->Execute("CREATE TABLE [" + table + "] (" + columns + ")", kTimeout);
    }

    // The store's partner table of the tests: a key, texts, a count, money, a date and a ratio.
    void CreatePartners() {
        const DialectTexts& t = Texts();
        CreateTable("거래처", std::string("[코드] ") + t.text16 + " NOT NULL, [이름] " + t.text40 +
                                  ", [수량] INT, [금액] " + t.money + ", [일자] DATETIME, [비율] " +
                                  t.real + ", CONSTRAINT [PK_거래처] PRIMARY KEY ([코드])");
    }

    void InsertPartner(const std::string& code, const std::string& values) {
        Run("INSERT INTO [거래처] ([코드], [이름], [수량], [금액], [일자], [비율]) VALUES ('" +
            code + "', " + values + ")");
    }

    std::int64_t Run(const std::string& sql) { return session_->Execute(sql, kTimeout).affected; }

    std::vector<std::vector<util::Variant>> Rows(const std::string& sql,
                                                 std::vector<db::FieldDesc>* fields = nullptr) {
        return db::embedded::testing::AllRows(*session_, sql, fields);
    }

    // The error of a statement that must fail; a test failure when it runs.
    db::DbError ErrorOf(const std::string& sql) {
        return db::embedded::testing::ErrorOf([&] { Run(sql); });
    }

    odbc_test::ScratchFolder folder_;
    std::unique_ptr<db::Session> session_;
    std::vector<std::string> created_;
};

// Runs the suite's bodies once per engine.
#define DATAPATCH_FOR_EVERY_ENGINE(Suite)                                                          \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, Suite,                                                                            \
        ::testing::Values(conformance::Engine::EmbeddedJet,                                        \
                          conformance::Engine::EmbeddedSqlServer, conformance::Engine::OdbcSqlite, \
                          conformance::Engine::OdbcSqlServer),                                     \
        conformance::EngineName)

using Conformance = EngineTest;

TEST_P(Conformance, CountsTheRowsEachActionStatementChangedAndGivesThemNoCursor) {
    EXPECT_EQ(session_->SqlDialect(), IsJet() ? db::Dialect::Jet : db::Dialect::SqlServer);
    CreatePartners();
    db::ExecOutcome outcome =
        session_->Execute("INSERT INTO [거래처] ([코드]) VALUES ('C01')", kTimeout);
    EXPECT_FALSE(outcome.rows);
    EXPECT_EQ(outcome.affected, 1);
    for (const char* code : {"A01", "A02", "B01"}) {
        EXPECT_EQ(
            Run(std::string("INSERT INTO [거래처] ([코드], [수량]) VALUES ('") + code + "', 1)"), 1)
            << code;
    }
    EXPECT_EQ(Run("UPDATE [거래처] SET [수량] = 7 WHERE [코드] LIKE 'A%'"), 2);
    EXPECT_EQ(Run("UPDATE [거래처] SET [수량] = 0 WHERE [코드] = 'Z99'"), 0);
    EXPECT_EQ(Run("DELETE FROM [거래처] WHERE [수량] = 7"), 2);
    const auto rows = Rows("SELECT COUNT(*) FROM [거래처]");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], util::Variant(2)) << Show(rows[0]);
}

TEST_P(Conformance, ValuesComeBackInTheirColumnsKinds) {
    CreatePartners();
    InsertPartner("A01",
                  "'한국 약국', 3, 1234.5678, " + DateLiteral("2020-12-21 10:00:00") + ", 0.25");
    InsertPartner("B02", "NULL, NULL, NULL, NULL, NULL");
    std::vector<db::FieldDesc> fields;
    const auto rows =
        Rows("SELECT [코드], [이름], [수량], [금액], [일자], [비율] FROM [거래처] ORDER BY [코드]",
             &fields);

    const std::pair<const char*, int> kFields[] = {
        {"코드", db::AdoType::kVarWChar}, {"이름", db::AdoType::kVarWChar},
        {"수량", db::AdoType::kInteger},  {"금액", db::AdoType::kCurrency},
        {"일자", db::AdoType::kDate},     {"비율", db::AdoType::kDouble},
    };
    ASSERT_EQ(fields.size(), std::size(kFields));
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].name, kFields[i].first);
        EXPECT_EQ(fields[i].adoType, kFields[i].second) << fields[i].name;
    }

    ASSERT_EQ(rows.size(), 2u);
    const std::vector<util::Variant> full = {
        util::Variant("A01"),
        util::Variant("한국 약국"),
        util::Variant(3),
        util::Variant(util::Currency{12345678}),
        util::Variant(util::MakeDateTime(util::CivilTime{2020, 12, 21, 10, 0, 0})),
        util::Variant(0.25),
    };
    EXPECT_EQ(rows[0], full) << Show(rows[0]);
    const std::vector<util::Variant> empty = {util::Variant("B02"),      util::Variant::MakeNull(),
                                              util::Variant::MakeNull(), util::Variant::MakeNull(),
                                              util::Variant::MakeNull(), util::Variant::MakeNull()};
    EXPECT_EQ(rows[1], empty) << Show(rows[1]);
}

TEST_P(Conformance, KoreanTextSelectsAndComesBackUnchanged) {
    CreatePartners();
    const char* const kNames[] = {"서울 종로 약국", "부산 해운대 약국", "편의점"};
    for (int i = 0; i < 3; ++i) {
        InsertPartner("A0" + std::to_string(i + 1),
                      TextLiteral(kNames[i]) + ", NULL, NULL, NULL, NULL");
    }

    const auto exact =
        Rows("SELECT [코드], [이름] FROM [거래처] WHERE [이름] = " + TextLiteral("서울 종로 약국"));
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0], (std::vector<util::Variant>{"A01", "서울 종로 약국"})) << Show(exact[0]);

    const auto pattern = Rows("SELECT [이름] FROM [거래처] WHERE [이름] LIKE " +
                              TextLiteral("%약국") + " ORDER BY [코드]");
    ASSERT_EQ(pattern.size(), 2u);
    EXPECT_EQ(pattern[1][0], util::Variant("부산 해운대 약국"));
}

TEST_P(Conformance, AnEmptyResultStillDescribesItsColumns) {
    CreatePartners();
    std::vector<db::FieldDesc> fields;
    EXPECT_TRUE(Rows("SELECT [코드], [금액] FROM [거래처] WHERE 1 = 0", &fields).empty());
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "코드");
    EXPECT_EQ(fields[1].name, "금액");
}

TEST_P(Conformance, FailuresCarryTheAdoNumbers) {
    CreatePartners();
    InsertPartner("A01", TextLiteral("한국 약국") + ", 1, 0, NULL, NULL");
    const struct {
        std::string sql;
        std::int32_t number;
    } kCases[] = {
        {"SELECT * FROM [없는표]", db::ErrorNumber::kTableMissing},
        {"UPDATE [없는표] SET [a] = 1", db::ErrorNumber::kTableMissing},
        {"SELEC * FROM [거래처]", db::ErrorNumber::kSyntax},
        {std::string("ALTER TABLE [거래처] ADD [이름] ") + Texts().text40,
         db::ErrorNumber::kSyntax},
        {"INSERT INTO [거래처] ([코드], [이름]) VALUES ('A01', " + TextLiteral("중복") + ")",
         db::ErrorNumber::kConstraint},
    };
    for (const auto& c : kCases) {
        const db::DbError error = ErrorOf(c.sql);
        EXPECT_EQ(error.Number(), c.number) << c.sql << ": " << error.Description();
        EXPECT_FALSE(error.Description().empty()) << c.sql;
        // The SQLite driver reports each as a general error; its vendor tag is dropped.
        if (Is(Engine::OdbcSqlite)) {
            EXPECT_EQ(error.SqlState(), "HY000") << c.sql;
            EXPECT_EQ(error.Description().find("[SQLite]"), std::string::npos) << c.sql;
        }
    }
    EXPECT_NE(ErrorOf("SELECT * FROM [없는표]").Description().find("없는표"), std::string::npos);
    // A failed statement leaves the connection usable.
    EXPECT_TRUE(session_->Alive());
    EXPECT_EQ(Rows("SELECT [이름] FROM [거래처]").size(), 1u);
}

// A cursor reads on after its session is gone, and two cursors of one text read apart.
TEST_P(Conformance, ACursorOutlivesItsSessionAndTwoOfOneTextReadApart) {
    if (Is(Engine::OdbcSqlServer)) GTEST_SKIP() << "without MARS a server reads one cursor at once";
    CreatePartners();
    for (const char* code : {"A01", "A02", "A03"}) InsertPartner(code, "NULL, 1, 0, NULL, NULL");
    const char* kQuery = "SELECT [코드] FROM [거래처] ORDER BY [코드]";
    db::ExecOutcome first = session_->Execute(kQuery, kTimeout);
    db::ExecOutcome second = session_->Execute(kQuery, kTimeout);
    std::vector<util::Variant> row;
    for (db::ExecOutcome* outcome : {&first, &second, &first}) {
        ASSERT_TRUE(outcome->rows->Next(row));
    }
    EXPECT_EQ(row[0], util::Variant("A02"));
    session_.reset();
    ASSERT_TRUE(second.rows->Next(row));
    EXPECT_EQ(row[0], util::Variant("A02"));
    ASSERT_TRUE(second.rows->Next(row));
    EXPECT_FALSE(second.rows->Next(row));
    EXPECT_FALSE(second.rows->Next(row));
}

DATAPATCH_FOR_EVERY_ENGINE(Conformance);

class ConformanceSchema : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        CreatePartners();
        Run("CREATE INDEX [ix_거래처_이름] ON [거래처] ([이름])");
        Run("CREATE UNIQUE INDEX [ux_거래처_이름수량] ON [거래처] ([이름], [수량])");
    }

    const db::IndexInfo* FindIndex(const std::vector<db::IndexInfo>& indexes,
                                   std::string_view name) {
        for (const db::IndexInfo& index : indexes) {
            if (db::EqualsNoCase(index.name, name)) return &index;
        }
        return nullptr;
    }
};

// A real server's database may hold other tables; a file engine's holds the store's alone.
TEST_P(ConformanceSchema, ListsTheTablesAsCreated) {
    CreateTable("Mixed", "[a] INT");
    std::vector<std::string> names;
    for (const db::TableInfo& table : session_->SchemaInfo().Tables()) {
        EXPECT_TRUE(db::EqualsNoCase(table.type, "TABLE")) << table.type;
        names.push_back(table.name);
    }
    EXPECT_EQ(std::count(names.begin(), names.end(), "Mixed"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "거래처"), 1);
    if (!Is(Engine::OdbcSqlServer)) {
        EXPECT_EQ(names.size(), 2u);
    }
}

TEST_P(ConformanceSchema, DescribesEachColumnAsDeclared) {
    const DialectTexts& t = Texts();
    const struct {
        const char* name;
        const char* typeName;
        int size;
        bool nullable;
        int adoType;
    } kColumns[] = {
        {"코드", t.textName, 16, false, db::AdoType::kVarWChar},
        {"이름", t.textName, 40, true, db::AdoType::kVarWChar},
        {"수량", "INT", 0, true, db::AdoType::kInteger},
        {"금액", t.money, 0, true, db::AdoType::kCurrency},
        {"일자", "DATETIME", 0, true, db::AdoType::kDate},
        {"비율", t.real, 0, true, db::AdoType::kDouble},
    };
    const std::vector<db::ColumnInfo> columns = session_->SchemaInfo().Columns("거래처");
    ASSERT_EQ(columns.size(), std::size(kColumns));
    for (size_t i = 0; i < columns.size(); ++i) {
        const db::ColumnInfo& column = columns[i];
        EXPECT_EQ(column.name, kColumns[i].name);
        EXPECT_TRUE(db::EqualsNoCase(column.typeName, kColumns[i].typeName))
            << column.name << " " << column.typeName;
        EXPECT_EQ(column.size, kColumns[i].size) << column.name;
        EXPECT_EQ(column.nullable, kColumns[i].nullable) << column.name;
        EXPECT_EQ(column.adoType, kColumns[i].adoType) << column.name;
    }
}

TEST_P(ConformanceSchema, DescribesTheIndexes) {
    const std::vector<db::IndexInfo> indexes = session_->SchemaInfo().Indexes("거래처");

    const db::IndexInfo* plain = FindIndex(indexes, "ix_거래처_이름");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->unique);
    EXPECT_FALSE(plain->primaryKey);
    EXPECT_EQ(plain->columns, (std::vector<std::string>{"이름"}));

    const db::IndexInfo* unique = FindIndex(indexes, "ux_거래처_이름수량");
    ASSERT_NE(unique, nullptr);
    EXPECT_TRUE(unique->unique);
    EXPECT_EQ(unique->columns, (std::vector<std::string>{"이름", "수량"}));

    // The key's index; SQLite names it itself, the others keep the constraint's name.
    const db::IndexInfo* key = nullptr;
    for (const db::IndexInfo& index : indexes) {
        if (index.primaryKey) key = &index;
    }
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->unique);
    EXPECT_EQ(key->columns, (std::vector<std::string>{"코드"}));
    if (!Is(Engine::OdbcSqlite)) {
        EXPECT_EQ(key->name, "PK_거래처");
    }
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceSchema);

class ConformanceTransaction : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        CreatePartners();
        InsertPartner("A01", TextLiteral("감기약") + ", 1, 100, NULL, 0.5");
    }

    std::vector<std::string> Codes() {
        std::vector<std::string> codes;
        for (const auto& row : Rows("SELECT [코드] FROM [거래처] ORDER BY [코드]")) {
            codes.push_back(row[0].AsText());
        }
        return codes;
    }

    // A second session on the same database, as another program would open it.
    void Reopen() {
        session_.reset();
        EngineTest::SetUp();
    }
};

using CodeList = std::vector<std::string>;

TEST_P(ConformanceTransaction, CommitKeepsEveryStatement) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    Run("UPDATE [거래처] SET [수량] = 9 WHERE [코드] = 'A01'");
    session_->CommitTransaction();
    Reopen();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02"}));
    EXPECT_EQ(Rows("SELECT [수량] FROM [거래처] WHERE [코드] = 'A01'")[0][0].AsInt(), 9);
    // Back in auto-commit: a later statement stays without a commit.
    InsertPartner("A03", "NULL, 3, NULL, NULL, NULL");
    Reopen();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02", "A03"}));
}

TEST_P(ConformanceTransaction, RollbackUndoesEveryStatement) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    Run("DELETE FROM [거래처] WHERE [코드] = 'A01'");
    EXPECT_EQ(Codes(), (CodeList{"A02"}));  // the session sees its own work
    session_->RollbackTransaction();
    EXPECT_EQ(Codes(), (CodeList{"A01"}));
}

TEST_P(ConformanceTransaction, AFailingStatementCostsOnlyItself) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    EXPECT_EQ(ErrorOf("INSERT INTO [거래처] ([코드]) VALUES ('A01')").Number(),
              db::ErrorNumber::kConstraint);
    session_->CommitTransaction();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02"}));
}

// The embedded engine runs a text of several steps in a savepoint of its own; inside a
// transaction it must undo that text alone on failure and nothing at all on success.
TEST_P(ConformanceTransaction, AStatementOfSeveralStepsNestsInTheTransaction) {
    if (Is(Engine::OdbcSqlite)) GTEST_SKIP() << "SQLite adds one column per ALTER TABLE";
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    // The second column exists: the first one must not stay behind.
    EXPECT_EQ(ErrorOf("ALTER TABLE [거래처] ADD [비고] INT, [수량] INT").Number(),
              db::ErrorNumber::kSyntax);
    Run("ALTER TABLE [거래처] ADD [메모1] INT, [메모2] INT");
    session_->CommitTransaction();
    std::vector<std::string> columns;
    for (const db::ColumnInfo& column : session_->SchemaInfo().Columns("거래처")) {
        columns.push_back(column.name);
    }
    EXPECT_EQ(std::count(columns.begin(), columns.end(), "비고"), 0);
    EXPECT_EQ(std::count(columns.begin(), columns.end(), "메모1"), 1);
    EXPECT_EQ(Codes(), (CodeList{"A01", "A02"}));

    session_->BeginTransaction(0);
    Run("ALTER TABLE [거래처] ADD [메모3] INT, [메모4] INT");
    session_->RollbackTransaction();
    EXPECT_EQ(session_->SchemaInfo().Columns("거래처").size(), columns.size());
}

TEST_P(ConformanceTransaction, ClosingTheSessionRollsBack) {
    session_->BeginTransaction(0);
    InsertPartner("A02", "NULL, 2, NULL, NULL, NULL");
    Reopen();
    EXPECT_EQ(Codes(), (CodeList{"A01"}));
    // The database is free again: a new transaction on it works.
    session_->BeginTransaction(0);
    InsertPartner("A03", "NULL, 3, NULL, NULL, NULL");
    session_->CommitTransaction();
    EXPECT_EQ(Codes(), (CodeList{"A01", "A03"}));
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceTransaction);

}  // namespace
}  // namespace conformance
