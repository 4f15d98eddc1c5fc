#include "db/embedded/create_text.h"

#include <gtest/gtest.h>

#include "db/error.h"

namespace db::embedded {
namespace {

struct LastingCase {
    const char* definition;
    const char* lasting;
};

const LastingCase kLasting[] = {
    {"\"a\" NVARCHAR(10) COLLATE NOCASE NULL", ""},
    {"\"a\" NVARCHAR(10) COLLATE NOCASE NOT NULL CONSTRAINT \"dp_len_a\" CHECK (length(\"a\") <= "
     "10)",
     ""},
    {"\"주문서발송\" SMALLINT NULL CONSTRAINT \"DF_x\" DEFAULT (((0)))",
     "CONSTRAINT \"DF_x\" DEFAULT (((0)))"},
    {"\"b\" INT DEFAULT NULL NOT NULL", "DEFAULT NULL"},
    {"\"b\" INT DEFAULT -1 PRIMARY KEY NOT NULL", "DEFAULT -1 PRIMARY KEY"},
    {"\"k\" NVARCHAR(10) COLLATE NOCASE PRIMARY KEY NOT NULL CONSTRAINT \"dp_len_k\" CHECK "
     "(length(\"k\") <= 10)",
     "PRIMARY KEY"},
    {"\"n\" smallint IDENTITY(1,1) NOT NULL UNIQUE CHECK (n > 0) REFERENCES \"t\"(\"x\")",
     "UNIQUE CHECK (n > 0) REFERENCES \"t\"(\"x\")"},
    {"\"c\" TEXT(5) COLLATE BINARY CONSTRAINT \"nn\" NOT NULL DEFAULT 'it''s'", "DEFAULT 'it''s'"},
};

TEST(CreateTextTest, KeepsTheConstraintsThatOutliveANewType) {
    for (const LastingCase& c : kLasting) {
        EXPECT_EQ(LastingConstraints(c.definition), c.lasting) << c.definition;
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
