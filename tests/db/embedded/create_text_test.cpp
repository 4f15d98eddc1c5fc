#include "db/embedded/create_text.h"

#include <gtest/gtest.h>

#include "db/embedded/case_file.h"
#include "db/error.h"

namespace db::embedded {
namespace {

// The definitions of tables/lasting_constraints.txt.
TEST(CreateTextTest, KeepsTheConstraintsThatOutliveANewType) {
    for (const testing::Block& c : testing::LoadBlocks("embedded/tables/lasting_constraints.txt")) {
        EXPECT_EQ(LastingConstraints(c.at(0).second), c.at(1).second) << c.at(0).second;
    }
}

TEST(CreateTextTest, TakesATableApartAndWritesItUnderAnotherName) {
    CreateText text = CreateText::Parse(
        "CREATE TABLE \"t (1)\" (\"a\" NVARCHAR(10) DEFAULT ('x,y'), [b c] DECIMAL(19, 4), "
        "CONSTRAINT \"PK, t\" PRIMARY KEY (\"a\", [b c]))");
    ASSERT_EQ(text.elements().size(), 3u);
    EXPECT_EQ(text.elements()[0], "\"a\" NVARCHAR(10) DEFAULT ('x,y')");
    EXPECT_EQ(text.FindColumn("A"), 0u);
    EXPECT_EQ(text.FindColumn("b c"), 1u);
    EXPECT_EQ(text.FindColumn("PK, t"), std::string::npos);
    EXPECT_EQ(text.FindColumn("CONSTRAINT"), std::string::npos);
    text.elements()[1] = "\"b c\" INT";
    EXPECT_EQ(text.Write("dp_rebuild"),
              "CREATE TABLE \"dp_rebuild\" (\"a\" NVARCHAR(10) DEFAULT ('x,y'), \"b c\" INT, "
              "CONSTRAINT \"PK, t\" PRIMARY KEY (\"a\", [b c]))");
    EXPECT_EQ(CreateText::Parse("CREATE TABLE t (a INT) WITHOUT ROWID").Write("u"),
              "CREATE TABLE \"u\" (a INT) WITHOUT ROWID");
    EXPECT_THROW(CreateText::Parse("CREATE TABLE t AS SELECT 1"), DbError);
}

}  // namespace
}  // namespace db::embedded
