// Identity columns of the server kind number the rows that INSERT adds.
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
    std::vector<std::int64_t> Numbers(std::string_view sql) {
        std::vector<std::int64_t> out;
        for (const auto& row : AllRows(*session_, sql)) out.push_back(row[0].AsInt());
        return out;
    }

    TempDir dir_;
    std::unique_ptr<Session> session_;
};

// The plain IDENTITY(1,1) numbering and the refusal of a given number are shown end to end by the
// catalogue cases (marks 69, 75 and 86).
TEST_F(IdentityInsertTest, NumbersNewRowsFromTheSeedByTheIncrement) {
    Run("CREATE TABLE 계획 (n INT IDENTITY(100, 10) NOT NULL, a NVARCHAR(10))");
    for (const char* name : {"가", "나", "다"}) {
        EXPECT_EQ(Affected(*session_, std::string("INSERT INTO 계획 (a) VALUES ('") + name + "')"),
                  1);
    }
    EXPECT_EQ(Numbers("SELECT n FROM 계획 ORDER BY a"), (std::vector<std::int64_t>{100, 110, 120}));
}

TEST_F(IdentityInsertTest, NumbersEveryRowOfAnInsertedQueryAndFollowsTheGreatestNumber) {
    Run("CREATE TABLE 원본 (a NVARCHAR(10))");
    Run("INSERT INTO 원본 VALUES ('x'), ('y'), ('z')");
    Run("CREATE TABLE 계획 (n INT IDENTITY(1,1) NOT NULL, a NVARCHAR(10), b INT)");
    EXPECT_EQ(Affected(*session_, "INSERT INTO 계획 (a) SELECT a FROM 원본"), 3);
    EXPECT_EQ(Numbers("SELECT n FROM 계획 ORDER BY n"), (std::vector<std::int64_t>{1, 2, 3}));
    // Without a column list the values fill the columns other than the identity column.
    Run("INSERT INTO 계획 VALUES ('w', 7)");
    EXPECT_EQ(FirstValue(*session_, "SELECT n FROM 계획 WHERE b = 7"), util::Variant(4));
    Run("DELETE FROM 계획 WHERE n = 2");
    Run("INSERT INTO 계획 (a) VALUES ('v')");
    EXPECT_EQ(FirstValue(*session_, "SELECT n FROM 계획 WHERE a = 'v'"), util::Variant(5));
    Run("INSERT INTO 계획 DEFAULT VALUES");
    EXPECT_EQ(FirstValue(*session_, "SELECT MAX(n) FROM 계획"), util::Variant(6));
}

TEST(CounterInsertTest, JetCountersNumberRowsAndTakeGivenValues) {
    TempDir dir;
    std::unique_ptr<Session> s = Open(dir / "store.mdb", OpenOptions{Dialect::Jet, "", true});
    s->Execute("CREATE TABLE a (ID COUNTER, 이름 TEXT(10))", 30);
    s->Execute("INSERT INTO a (이름) VALUES ('x')", 30);
    s->Execute("INSERT INTO a (이름) VALUES ('y')", 30);
    EXPECT_EQ(FirstValue(*s, "SELECT ID FROM a WHERE 이름 = 'y'"), util::Variant(2));
    s->Execute("INSERT INTO a (ID, 이름) VALUES (50, 'z')", 30);
    s->Execute("INSERT INTO a (이름) VALUES ('w')", 30);
    EXPECT_EQ(FirstValue(*s, "SELECT ID FROM a WHERE 이름 = 'w'"), util::Variant(51));
}

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
