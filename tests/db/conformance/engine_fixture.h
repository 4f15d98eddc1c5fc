#pragma once
// One body per behaviour, run for every engine: the embedded engine in Jet mode and in SQL
// Server mode, ODBC through Debian's SQLite ODBC driver, and ODBC to a real SQL Server when
// DATAPATCH_TEST_MSSQL holds a driver connection string (skipped otherwise). Where the engines
// differ, the difference is a branch here, chosen by engine, never a copied test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"
#include "db/odbc/odbc.h"
#include "db/odbc/sqlite_odbc.h"
#include "db/session.h"

namespace conformance {

enum class Engine { EmbeddedJet, EmbeddedSqlServer, OdbcSqlite, OdbcSqlServer };

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    static const char* const kNames[] = {"EmbeddedJet", "EmbeddedSqlServer", "OdbcSqlite",
                                         "OdbcSqlServer"};
    return kNames[static_cast<int>(info.param)];
}

using db::embedded::testing::Show;

inline constexpr const char* kMssqlVariable = "DATAPATCH_TEST_MSSQL";
inline constexpr int kTimeout = 30;

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
        db::ExecOutcome outcome = session_->Execute(sql, kTimeout);
        EXPECT_TRUE(outcome.rows) << "no rows from: " << sql;
        std::vector<std::vector<util::Variant>> rows;
        if (!outcome.rows) return rows;
        if (fields != nullptr) *fields = outcome.rows->Fields();
        std::vector<util::Variant> row;
        while (outcome.rows->Next(row)) rows.push_back(row);
        return rows;
    }

    // The error number of a statement that must fail; 0 (and a test failure) when it ran.
    std::int32_t ErrorNumberOf(const std::string& sql) {
        try {
            session_->Execute(sql, kTimeout);
        } catch (const db::DbError& error) {
            EXPECT_FALSE(error.Description().empty()) << sql;
            return error.Number();
        }
        ADD_FAILURE() << "no error from: " << sql;
        return 0;
    }

    odbc_test::ScratchFolder folder_;
    std::unique_ptr<db::Session> session_;
    std::vector<std::string> created_;
};

}  // namespace conformance

// Runs the suite's bodies once per engine.
#define DATAPATCH_FOR_EVERY_ENGINE(Suite)                                                          \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Engines, Suite,                                                                            \
        ::testing::Values(conformance::Engine::EmbeddedJet,                                        \
                          conformance::Engine::EmbeddedSqlServer, conformance::Engine::OdbcSqlite, \
                          conformance::Engine::OdbcSqlServer),                                     \
        conformance::EngineName)
