// Identity columns of the server kind number the rows that INSERT adds (the numbering itself is
// in cases/create_alter.txt): the engine keeps each table's shape, and must see it anew when
// another connection changes the table.
#include <gtest/gtest.h>

#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/embedded/temp_dir.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

class IdentityInsertTest : public ::testing::Test {
  protected:
    void SetUp() override {
        session_ = Open(dir_ / "server.sqlite", OpenOptions{Dialect::SqlServer, "", true});
    }
    void Run(std::string_view sql) { session_->Execute(sql, 30); }

    TempDir dir_;
    std::unique_ptr<Session> session_;
};

TEST_F(IdentityInsertTest, TablesChangedByAnotherConnectionAreSeenAnew) {
    Run("CREATE TABLE 계획 (a NVARCHAR(10))");
    Run("INSERT INTO 계획 VALUES ('x')");  // the shape without identity is kept now
    std::unique_ptr<Session> other =
        Open(dir_ / "server.sqlite", OpenOptions{Dialect::SqlServer, "", false});
    other->Execute("DROP TABLE 계획", 30);
    other->Execute("CREATE TABLE 계획 (n INT IDENTITY(1,1) NOT NULL, a NVARCHAR(10))", 30);
    Run("INSERT INTO 계획 (a) VALUES ('y')");
    EXPECT_EQ(FirstValue(*session_, "SELECT n FROM 계획"), util::Variant(1));
}

}  // namespace
}  // namespace db::embedded::testing
