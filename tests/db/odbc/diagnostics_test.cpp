#include "db/odbc/diagnostics.h"

#include <gtest/gtest.h>

#include "db/odbc/odbc.h"

namespace db::odbc {
namespace {

struct StateCase {
    const char* sqlState;
    int nativeError;
    std::int32_t number;
};

TEST(MapSqlState, MapsStatesToAdoNumbers) {
    static const StateCase kCases[] = {
        {"42S02", 208, ErrorNumber::kTableMissing},
        {"42000", 102, ErrorNumber::kSyntax},
        {"42S22", 207, ErrorNumber::kSyntax},
        {"23000", 2627, ErrorNumber::kConstraint},
        {"22001", 8152, ErrorNumber::kTruncated},
        {"22012", 8134, ErrorNumber::kSyntax},      // divide by zero
        {"22018", 245, ErrorNumber::kCantConvert},  // text that is no number
        {"22005", 0, ErrorNumber::kCantConvert},
        {"22007", 241, ErrorNumber::kCantConvert},  // text that is no date
        {"22008", 242, ErrorNumber::kCantConvert},  // a date out of range
        {"HYT00", 0, ErrorNumber::kTimeout},
        {"08S01", 0, ErrorNumber::kUnspecified},
        {"28000", 18456, ErrorNumber::kUnspecified},
        {"HY000", 1, ErrorNumber::kUnspecified},
        {"", 0, ErrorNumber::kUnspecified},
        // A DROP of a missing routine or table is an error in the command.
        {"42S02", 3701, ErrorNumber::kSyntax},
    };
    for (const StateCase& c : kCases) {
        EXPECT_EQ(MapSqlState(c.sqlState, c.nativeError), c.number)
            << c.sqlState << " native " << c.nativeError;
    }
}

struct MessageCase {
    const char* sqlState;
    int nativeError;
    const char* message;
    std::int32_t number;
};

TEST(NumberFor, ReadsTheSqliteDriversGeneralErrorsByTheirText) {
    static const MessageCase kCases[] = {
        {"HY000", 1, "[SQLite]no such table: 없는표 (1)", ErrorNumber::kTableMissing},
        {"HY000", 1, "[SQLite]near \"SELEC\": syntax error (1)", ErrorNumber::kSyntax},
        {"HY000", 1, "[SQLite]duplicate column name: 수량 (1)", ErrorNumber::kSyntax},
        {"HY000", 19, "[SQLite]UNIQUE constraint failed: 상품.코드 (19)", ErrorNumber::kConstraint},
        {"HY000", 19, "[SQLite]NOT NULL constraint failed: 상품.코드 (19)",
         ErrorNumber::kConstraint},
        {"HY000", 1, "[SQLite]some other failure (1)", ErrorNumber::kUnspecified},
        // Only the SQLite driver's general errors are read by their text.
        {"HY000", 1, "[vendor]no such table: x", ErrorNumber::kUnspecified},
        {"42000", 1, "[SQLite]no such table: x (1)", ErrorNumber::kSyntax},
    };
    for (const MessageCase& c : kCases) {
        EXPECT_EQ(NumberFor(DiagRecord{c.sqlState, c.nativeError, c.message}), c.number)
            << c.message;
    }
}

TEST(DriverText, DropsTheVendorTags) {
    static const std::pair<const char*, const char*> kCases[] = {
        {"[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Invalid object name 'x'.",
         "Invalid object name 'x'."},
        {"[unixODBC][Driver Manager]Data source name not found", "Data source name not found"},
        {"[SQLite]no such table: 없는표 (1)", "no such table: 없는표 (1)"},
        {"plain text [with brackets]", "plain text [with brackets]"},
        {"[unclosed tag", "[unclosed tag"},
        {"", ""},
    };
    for (const auto& [message, expected] : kCases) EXPECT_EQ(DriverText(message), expected);
}

TEST(ErrorFromDiagnostics, KeepsStateAndNativeErrorOfTheFirstRealError) {
    const std::vector<DiagRecord> records = {
        {"01000", 5701, "[SQL Server]Changed database context to 'NVMAIN'."},
        {"42S02", 208, "[SQL Server]Invalid object name '없는표'."},
        {"42000", 8180, "[SQL Server]Statement(s) could not be prepared."},
    };
    const DbError error = ErrorFromDiagnostics(records, "unused");
    EXPECT_EQ(error.Number(), ErrorNumber::kTableMissing);
    EXPECT_EQ(error.Description(), "Invalid object name '없는표'.");
    EXPECT_EQ(error.SqlState(), "42S02");
    EXPECT_EQ(error.NativeError(), 208);
    EXPECT_EQ(error.Source(), kEngineSource);
}

TEST(ErrorFromDiagnostics, NamesTheConnectionWhenTheLinkIsLost) {
    const DbError error = ErrorFromDiagnostics(
        {{"08S01", 10054, "[Microsoft][ODBC Driver 18 for SQL Server]TCP Provider: reset"}}, "");
    EXPECT_EQ(error.Number(), ErrorNumber::kUnspecified);
    EXPECT_NE(error.Description().find("연결을"), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find("TCP Provider: reset"), std::string::npos);
    EXPECT_EQ(error.SqlState(), "08S01");
}

TEST(ErrorFromDiagnostics, UsesTheFallbackWhenTheDriverSaysNothing) {
    const DbError error = ErrorFromDiagnostics({}, "nothing said");
    EXPECT_EQ(error.Number(), ErrorNumber::kUnspecified);
    EXPECT_EQ(error.Description(), "nothing said");
}

TEST(OpenErrorFromDiagnostics, IsAlwaysAConnectionFailure) {
    // SQL Server refuses an unknown database with 42000; opening still failed to connect.
    const DbError error = OpenErrorFromDiagnostics(
        {{"42000", 4060, "[SQL Server]Cannot open database \"NVMAIN\" requested by the login."}});
    EXPECT_EQ(error.Number(), ErrorNumber::kUnspecified);
    EXPECT_NE(error.Description().find("연결을"), std::string::npos);
    EXPECT_NE(error.Description().find("Cannot open database"), std::string::npos);
    EXPECT_EQ(error.NativeError(), 4060);

    EXPECT_NE(OpenErrorFromDiagnostics({}).Description().find("연결을"), std::string::npos);
}

}  // namespace
}  // namespace db::odbc
