#include "db/odbc/diagnostics.h"

#include <gtest/gtest.h>

#include <map>

#include "db/embedded/case_file.h"
#include "db/odbc/odbc.h"

namespace db::odbc {
namespace {

// The records of tables/diagnostics.txt; those without a message are read by state alone too.
TEST(NumberFor, MapsDiagnosticRecordsToAdoNumbers) {
    for (const embedded::testing::Block& block :
         embedded::testing::LoadBlocks("odbc/tables/diagnostics.txt")) {
        std::map<std::string, std::string> v(block.begin(), block.end());
        const bool byStateAlone = v.count("message") == 0;
        const int native = std::stoi(v["native"]);
        const auto number = static_cast<std::int32_t>(std::stoul(v["number"], nullptr, 16));
        EXPECT_EQ(NumberFor(DiagRecord{v["state"], native, v["message"]}), number)
            << v["state"] << " native " << native << " " << v["message"];
        if (byStateAlone) {
            EXPECT_EQ(MapSqlState(v["state"], native), number) << v["state"];
        }
    }
}

// The messages of tables/driver_texts.txt.
TEST(DriverText, DropsTheVendorTags) {
    for (const embedded::testing::Block& b :
         embedded::testing::LoadBlocks("odbc/tables/driver_texts.txt")) {
        EXPECT_EQ(DriverText(b.at(0).second), b.at(1).second) << b.at(0).second;
    }
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
