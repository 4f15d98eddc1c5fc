#include "db/router.h"

#include <gtest/gtest.h>

#include "db/ado_world.h"
#include "db/embedded/case_file.h"

namespace db_test {
namespace {

// The texts of tables/connection_strings.txt.
TEST(ConnectionStringPartsTest, ReadsKeysAndValues) {
    for (const auto& block : db::embedded::testing::LoadBlocks("tables/connection_strings.txt")) {
        const std::optional<std::string> value =
            block.size() > 2 ? std::optional(block[2].second) : std::nullopt;
        EXPECT_EQ(db::ConnectionStringParts::Parse(block.at(0).second).Get(block.at(1).second),
                  value)
            << block.at(0).second;
    }
}

std::string LoginsWithOdbc() {
    return DefaultLoginText() +
           "[HQ]\r\nAddress=hq.example\r\nPassword=hqpw\r\n"
           "Engine=odbc:Driver=FreeTDS;Server=10.0.0.5\r\n"
           "[Drivers]\r\nParadox=Driver={Paradox ODBC}\r\n";
}

class RouterTest : public AdoWorld {
  protected:
    RouterTest() : AdoWorld(LoginsWithOdbc()) {}

    std::int32_t FailureOf(const std::string& text, std::string* description = nullptr) {
        try {
            router_->Plan(text);
        } catch (const db::DbError& e) {
            if (description) *description = e.Description();
            return e.Number();
        }
        return 0;
    }
};

// The embedded routes of the Jet and SQL Server forms are taken by every connection of the
// Kro_Ado and DAO tests; here, the routes no file shows.
TEST_F(RouterTest, OdbcServersGetDatabaseAndLoginAppended) {
    const auto route = router_->Plan(
        "Provider=SQLOLEDB;User ID=sa;Initial Catalog=NVMAIN;Data Source=hq.example;"
        "Password=a;b;");
    EXPECT_EQ(route.engine, db::Route::Engine::Odbc);
    EXPECT_EQ(route.dialect, db::Dialect::SqlServer);
    EXPECT_EQ(route.odbcText, "Driver=FreeTDS;Server=10.0.0.5;Database=NVMAIN;UID=sa;PWD=a;");
    const auto braced = router_->Plan("Driver={SQL Server};Server=HQ;Database=X;UID=sa;PWD={p;w}");
    EXPECT_EQ(braced.odbcText, "Driver=FreeTDS;Server=10.0.0.5;Database=X;UID=sa;PWD={p;w};");
}

// The texts of tables/router_refusals.txt.
TEST_F(RouterTest, RefusalsNameTheirCause) {
    MakeServerDatabase("STORE", {});
    for (const auto& block : db::embedded::testing::LoadBlocks("tables/router_refusals.txt")) {
        std::string description;
        EXPECT_EQ(db::HexNumber(FailureOf(block.at(0).second, &description)), block.at(1).second)
            << block.at(0).second;
        EXPECT_NE(description.find(block.at(2).second), std::string::npos) << description;
    }
    // Nothing was created on the way.
    EXPECT_FALSE(std::filesystem::exists(ServerFile("NOPE")));
    EXPECT_FALSE(std::filesystem::exists(Native("C:\\Quillon\\none.mdb")));
}

TEST_F(RouterTest, ConfiguredDriverCarriesTheMappedPaths) {
    std::filesystem::create_directories(Native("C:\\Paradox"));
    const auto route = router_->Plan(
        "Driver={Microsoft Paradox Driver (*.db)};DriverID=538;Fil=Paradox 5.X;"
        "DefaultDir=C:\\Paradox;Dbq=C:\\Paradox;CollatingSequence=ASCII;");
    EXPECT_EQ(route.engine, db::Route::Engine::Odbc);
    const std::string native = Native("C:\\Paradox").string();
    EXPECT_EQ(route.odbcText,
              "Driver={Paradox ODBC};Dbq=" + native + ";DefaultDir=" + native + ";");
}

}  // namespace
}  // namespace db_test
