#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/embedded/translator.h"
#include "db/error.h"

namespace db::embedded {
namespace {

std::vector<std::string> Texts(std::string_view sql, Dialect dialect) {
    std::vector<std::string> out;
    for (const Step& step : Translate(sql, dialect).steps) out.push_back(step.sql);
    return out;
}

struct TextCase {
    const char* input;
    Dialect dialect;
    std::vector<std::string> sqlite;
};

const TextCase kTexts[] = {
    {"SELECT TOP 1 날짜 FROM PATCH_HIST WHERE NV_GUBUN = 1 ORDER BY 날짜 DESC",
     Dialect::Jet,
     {"SELECT \"날짜\" FROM \"PATCH_HIST\" WHERE \"NV_GUBUN\" = 1 ORDER BY \"날짜\" DESC LIMIT 1"}},
    {"SELECT TOP (5) * FROM [dbo].[T]", Dialect::SqlServer, {"SELECT * FROM \"T\" LIMIT 5"}},
    {"SELECT 제품코드 FROM 사용상품 WHERE LEN(상품위치) > 0 ",
     Dialect::Jet,
     {"SELECT \"제품코드\" FROM \"사용상품\" WHERE length(\"상품위치\") > 0"}},
    {"SELECT 제품코드 FROM 사용상품 WHERE LEN(상품위치) > 0 ",
     Dialect::SqlServer,
     {"SELECT \"제품코드\" FROM \"사용상품\" WHERE length(rtrim(\"상품위치\", ' ')) > 0"}},
    {"SELECT [a b], [x]]y], \"q\" FROM dbo.[t 1] WHERE c = N'it''s'",
     Dialect::SqlServer,
     {"SELECT \"a b\", \"x]y\", \"q\" FROM \"t 1\" WHERE \"c\" = 'it''s'"}},
    {"SELECT * FROM t WHERE d >= #12/21/2020 10:30 PM# AND e = #2020-12-21#",
     Dialect::Jet,
     {"SELECT * FROM \"t\" WHERE \"d\" >= '2020-12-21 22:30:00' AND \"e\" = '2020-12-21'"}},
    {"SELECT t.* FROM t WHERE a & 'x' = b",
     Dialect::Jet,
     {"SELECT \"t\".* FROM \"t\" WHERE dp_join(\"a\", 'x') = \"b\""}},
    {"DELETE * FROM t WHERE a = 1", Dialect::Jet, {"DELETE FROM \"t\" WHERE \"a\" = 1"}},
    {"UPDATE 세금계산서상품 SET 단가 =  CONVERT(INT, (CONVERT(MONEY, 공급가액) / 수량))",
     Dialect::SqlServer,
     // Money by a number stays money, which rounds to an integer; a number becomes money
     // rounded to four places.
     {"UPDATE \"세금계산서상품\" SET \"단가\" = CAST(round((round(CAST(\"공급가액\" AS REAL), "
      "4) / dp_divisor(\"수량\"))) AS INTEGER)"}},
    {"UPDATE 재고조사_담당자 SET DEL_CHK = 1 FROM 재고조사_담당자 AS 담 LEFT JOIN 재고조사전표 AS "
     "전 "
     "ON 담.조사코드 = 전.조사코드 WHERE 담.DEL_CHK = 0",
     Dialect::SqlServer,
     {"UPDATE \"재고조사_담당자\" SET \"DEL_CHK\" = \"dp_from\".\"dp_v1\" FROM (SELECT "
      "\"담\".rowid "
      "AS \"dp_rowid\", 1 AS \"dp_v1\" FROM \"재고조사_담당자\" AS \"담\" LEFT JOIN "
      "\"재고조사전표\" "
      "AS \"전\" ON \"담\".\"조사코드\" = \"전\".\"조사코드\" WHERE \"담\".\"DEL_CHK\" = 0) AS "
      "\"dp_from\" WHERE \"재고조사_담당자\".rowid = \"dp_from\".\"dp_rowid\""}},
    {"ALTER TABLE 발주전표 ADD 입고일자 NVARCHAR(8), 입고여부 SMALLINT ",
     Dialect::SqlServer,
     {"ALTER TABLE \"발주전표\" ADD COLUMN \"입고일자\" NVARCHAR(8) COLLATE NOCASE CONSTRAINT "
      "\"dp_len_입고일자\" CHECK (length(\"입고일자\") <= 8)",
      "ALTER TABLE \"발주전표\" ADD COLUMN \"입고여부\" SMALLINT"}},
    {"ALTER TABLE 거래처마스터 ADD 주문서발송 SMALLINT NULL CONSTRAINT DF_주문서발송 DEFAULT "
     "((0)) ",
     Dialect::SqlServer,
     {"ALTER TABLE \"거래처마스터\" ADD COLUMN \"주문서발송\" SMALLINT NULL CONSTRAINT "
      "\"DF_주문서발송\" DEFAULT (((0)))",
      "UPDATE \"거래처마스터\" SET \"주문서발송\" = NULL"}},
    {"CREATE UNIQUE  INDEX [IX] ON [dbo].[t] ([a] , [b] DESC) ON [PRIMARY]",
     Dialect::SqlServer,
     {"CREATE UNIQUE INDEX \"t.IX\" ON \"t\" (\"a\", \"b\" DESC)"}},
    {"SELECT 1; SELECT 2;", Dialect::SqlServer, {"SELECT 1", "SELECT 2"}},
    // Jet takes one statement and a ';' after it, blanks and comments around.
    {"SELECT 1 ; -- one\r\n /* two */ ;", Dialect::Jet, {"SELECT 1"}},
    // '+': numbers add, two texts join, operands of unknown kind are decided by their values.
    {"SELECT '[' + a + ']', 'x' + 'y', a * 2 + b, -a + 1 FROM t",
     Dialect::SqlServer,
     {"SELECT dp_add(dp_add('[', \"a\"), ']'), 'x' || 'y', dp_add(\"a\" * 2, \"b\"), - "
      "\"a\" + 1 FROM \"t\""}},
    {"SELECT (a + b) * 2 FROM t WHERE c = d + 'x' AND e IN (f + g, 1)",
     Dialect::Jet,
     {"SELECT (dp_add(\"a\", \"b\")) * 2 FROM \"t\" WHERE \"c\" = dp_add(\"d\", 'x') AND "
      "\"e\" IN (dp_add(\"f\", \"g\"), 1)"}},
    {"SELECT CASE WHEN a = 1 THEN b ELSE c END + d, LEFT(a, 2) + b FROM t",
     Dialect::SqlServer,
     {"SELECT dp_add(CASE WHEN \"a\" = 1 THEN \"b\" ELSE \"c\" END, \"d\"), "
      "dp_add(dp_left(\"a\", 2), \"b\") FROM \"t\""}},
    {"ALTER TABLE t ADD c NVARCHAR(4) DEFAULT ('a' + 'b') CHECK (c + 1 > d + e)",
     Dialect::SqlServer,
     {"ALTER TABLE \"t\" ADD COLUMN \"c\" NVARCHAR(4) COLLATE NOCASE DEFAULT (('a' || 'b')) "
      "CHECK (\"c\" + 1 > \"d\" + \"e\") CONSTRAINT \"dp_len_c\" CHECK (length(\"c\") <= 4)",
      "UPDATE \"t\" SET \"c\" = NULL"}},
    // Texts stay as written where no date column asks for a date (the schema tells, and is not
    // known here); date literals are dates.
    {"INSERT INTO t VALUES ('2020-12-21 오후 3:04:05', '12/21/2020', #2020-12-21 오전 12:30:00#)",
     Dialect::Jet,
     {"INSERT INTO \"t\" VALUES ('2020-12-21 오후 3:04:05', '12/21/2020', '2020-12-21 00:30:00')"}},
};

TEST(TranslateTest, WritesSqliteText) {
    for (const TextCase& c : kTexts) {
        EXPECT_EQ(Texts(c.input, c.dialect), c.sqlite) << c.input;
    }
}

// The query of a rowset stands where the rowset is named, and nowhere else: a literal that holds
// any text of the engine's own stays as written.
TEST(TranslateTest, PutsARowsetQueryInPlaceOfTheRowsetOnly) {
    const Program p = Translate(
        "SELECT 'dp_rowset_1 \"dp_rowset_1\"' AS n, a FROM OPENROWSET('Microsoft.Jet.OLEDB.4.0', "
        "';Database=C:\\a.mdb;', 'SELECT a FROM t')",
        Dialect::SqlServer);
    ASSERT_EQ(p.steps.size(), 2u);
    EXPECT_EQ(p.steps[1].sql,
              "SELECT 'dp_rowset_1 \"dp_rowset_1\"' AS \"n\", \"a\" FROM (SELECT \"a\" FROM "
              "\"" +
                  p.steps[0].name + "\".\"t\")");
}

struct SplitCase {
    const char* input;
    std::vector<Step::Kind> kinds;
};

// The server kind splits a batch where the next statement begins; Jet leaves it to fail.
TEST(TranslateTest, SplitsServerBatchesAtStatementStarts) {
    using K = Step::Kind;
    const SplitCase kCases[] = {
        {"SELECT * FROM a\r\n DELETE FROM b", {K::Sql, K::Sql}},
        {"UPDATE a SET x = 1\r\nINSERT INTO b VALUES (1)\r\nDROP TABLE c",
         {K::Sql, K::Insert, K::Sql}},
        {"INSERT INTO a (x) SELECT x FROM b", {K::Insert}},
        {"INSERT INTO a VALUES (1) SELECT 2", {K::Insert, K::Sql}},
        {"SELECT x FROM a UNION ALL SELECT x FROM b UNION SELECT 1", {K::Sql}},
        {"SELECT x FROM a WHERE x IN (SELECT y FROM b)", {K::Sql}},
        {"ALTER TABLE a DROP COLUMN x", {K::DropColumn}},
        {"ALTER TABLE a ALTER COLUMN x INT\r\nALTER TABLE b ADD y INT", {K::AlterColumn, K::Sql}},
        {"ALTER TABLE a ADD y INT; SELECT 1", {K::Sql, K::Sql}},
        // The statement an IF governs belongs to it; the next one does not.
        {"IF EXISTS (SELECT * FROM a) INSERT INTO b SELECT 1\r\nDROP TABLE c",
         {K::SkipUnless, K::Insert, K::Sql}},
    };
    for (const SplitCase& c : kCases) {
        std::vector<K> kinds;
        for (const Step& step : Translate(c.input, Dialect::SqlServer).steps) {
            kinds.push_back(step.kind);
        }
        EXPECT_EQ(kinds, c.kinds) << c.input;
    }
    EXPECT_EQ(Translate("SELECT * FROM a\r\n DELETE FROM b", Dialect::Jet).steps.size(), 1u);
    EXPECT_EQ(
        Translate("IF EXISTS (SELECT * FROM a) DELETE FROM b DROP TABLE c", Dialect::SqlServer)
            .steps[0]
            .skip,
        1u);
}

TEST(TranslateTest, AlterColumnAndAddKeyCarryTheirParts) {
    const Program alter = Translate(
        " ALTER TABLE dbo.팜페이 ALTER COLUMN [처리 번호] CHAR(14) NOT NULL ", Dialect::SqlServer);
    ASSERT_EQ(alter.steps.size(), 1u);
    EXPECT_EQ(alter.steps[0].kind, Step::Kind::AlterColumn);
    EXPECT_EQ(alter.steps[0].table, "팜페이");
    EXPECT_EQ(alter.steps[0].name, "처리 번호");
    EXPECT_TRUE(alter.steps[0].notNull);

    const Program key = Translate(
        "ALTER TABLE [dbo].[확장바코드] WITH NOCHECK ADD CONSTRAINT [PK_확장바코드] PRIMARY KEY  "
        "CLUSTERED ([바코드코드], 제품코드 DESC)  ON [PRIMARY]",
        Dialect::SqlServer);
    ASSERT_EQ(key.steps.size(), 1u);
    EXPECT_EQ(key.steps[0].kind, Step::Kind::AddPrimaryKey);
    EXPECT_EQ(key.steps[0].table, "확장바코드");
    EXPECT_EQ(key.steps[0].name, "PK_확장바코드");
    EXPECT_EQ(key.steps[0].columns, (std::vector<std::string>{"바코드코드", "제품코드"}));
}

}  // namespace
}  // namespace db::embedded
