// The translation cache: texts of a known shape get the translation that the translator gives
// them, whatever their literal values; shapes whose literals steer the translation are always
// translated in full.
#include "db/embedded/translation_cache.h"
#include "db/embedded/server_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/embedded/statement_shape.h"
#include "db/embedded/temp_dir.h"
#include "db/error.h"

namespace db::embedded {
namespace {

struct Text {
    const char* sql;
    bool filled;  // expected to come from the shape of an earlier text
};

struct ShapeCase {
    const char* name;
    Dialect dialect;
    std::vector<Text> texts;  // given to one cache in this order
};

const ShapeCase kCases[] = {
    {"JetInsert",
     Dialect::Jet,
     {{"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('P1', 5, #2020-12-01 10:00:00#)",
       false},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('it''s', 12, #12/21/2020 10:30 "
       "PM#)",
       true},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('타이레놀정 500mg', 0, "
       "#2020-12-21#)",
       true},
      // A text that reads as a date is written by the column it goes to: translated in full.
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('2020-12-21 오후 3:04:05', 1e3, "
       "#2020/1/2#)",
       false},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('', 1.5, #2020-12-21 23:59:59#)",
       true},
      // A number written ".5" or "5." is joined to its neighbours: translated in full.
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('x', .5, #2020-12-21#)", false},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES (NULL, 5, #2020-12-21#)", false},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES (NULL, 6, #2021-01-01#)", true},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('y', -5, #2020-12-21#)", false},
      {"INSERT INTO [재고] ([상품코드], [수량], [UP_DATE]) VALUES ('z', -0.25, #2020-12-22#)",
       true}}},
    {"JetUpdate",
     Dialect::Jet,
     {{"UPDATE [재고] SET [수량] = [수량] + 3, [UP_DATE] = #2020-12-01 10:00:00# WHERE [상품코드] "
       "= "
       "'P1'",
       false},
      {"UPDATE [재고] SET [수량] = [수량] + 9, [UP_DATE] = #2021-02-03# WHERE [상품코드] = "
       "'a''b''c'",
       true},
      {"UPDATE [재고] SET [수량] = [수량] + 0x1F, [UP_DATE] = #1/2/2021 1:02 AM# WHERE [상품코드] "
       "= "
       "'게보린정 7'",
       true}}},
    {"JetTextSums",
     Dialect::Jet,
     {{"UPDATE t SET a = 'x' + 'y', b = 1 + 2 WHERE c = 'q'", false},
      {"UPDATE t SET a = 'it''s' + '가', b = 3 + -4 WHERE c = ''", false},
      {"UPDATE t SET a = '1' + '2', b = 10 + 20 WHERE c = 'r'", true}}},
    {"ServerUpdate",
     Dialect::SqlServer,
     {{"UPDATE dbo.t SET a = N'가나', b = -5 WHERE c = 'x' AND d <> 3", false},
      {"UPDATE dbo.t SET a = N'it''s', b = -0.25 WHERE c = '2020-12-21' AND d <> 4", true},
      {"UPDATE dbo.t SET a = N'', b = -1 WHERE c = 'O''Brien' AND d <> 0", true}}},
    {"DeleteAndSelect",
     Dialect::Jet,
     {{"DELETE FROM [재고] WHERE [상품코드] = 'P0000001'", false},
      {"DELETE FROM [재고] WHERE [상품코드] = 'P''2'", true},
      {"SELECT [상품코드], [수량] FROM [재고] WHERE [상품코드] = 'P1' AND [DEL_CHK] = 0", false},
      {"SELECT [상품코드], [수량] FROM [재고] WHERE [상품코드] = '박카스' AND [DEL_CHK] = -1",
       false},
      {"SELECT [상품코드], [수량] FROM [재고] WHERE [상품코드] = 'P2' AND [DEL_CHK] = 7", true}}},
    // Shapes whose literals steer the translation, or that are no plain form, are translated in
    // full every time.
    {"Excluded",
     Dialect::Jet,
     {{"SELECT TOP 1 a FROM t WHERE b = 'x'", false},
      {"SELECT TOP 2 a FROM t WHERE b = 'y'", false},
      {"SELECT a FROM t WHERE b LIKE 'x*'", false},
      {"SELECT a FROM t WHERE b LIKE 'y?'", false},
      {"SELECT a FROM t WHERE LEN(b) > 3", false},
      {"SELECT a FROM t WHERE LEN(b) > 4", false},
      {"CREATE TABLE t (a TEXT(10) DEFAULT 'x')", false},
      {"CREATE TABLE u (a TEXT(20) DEFAULT 'y')", false}}},
    {"ExcludedServer",
     Dialect::SqlServer,
     {{"SELECT a FROM t WHERE b = 1; SELECT a FROM t WHERE b = 2", false},
      {"SELECT a FROM t WHERE b = 3; SELECT a FROM t WHERE b = 4", false},
      {"IF EXISTS (SELECT * FROM sysobjects WHERE id = OBJECT_ID('t')) DROP TABLE t", false},
      {"IF EXISTS (SELECT * FROM sysobjects WHERE id = OBJECT_ID('u')) DROP TABLE u", false},
      {"SELECT COUNT(*) FROM t WHERE a = 'x'", false},
      {"SELECT COUNT(*) FROM t WHERE a = 'y'", false},
      {"INSERT INTO t (a) SELECT CONVERT(VARCHAR(10), 'x')", false},
      {"INSERT INTO t (a) SELECT CONVERT(VARCHAR(10), 'y')", false}}},
};

class ShapeCacheTest : public ::testing::TestWithParam<ShapeCase> {};

// The program with its bound values written where their parameters stand (the last first, so
// that ?1 does not take the start of ?12), and whether it had any.
bool WriteParameters(Program& program) {
    bool bound = false;
    for (Step& step : program.steps) {
        for (std::string* text : {&step.sql, &step.source}) {
            for (std::size_t n = step.parameters.size(); n > 0; --n) {
                const std::string mark = "?" + std::to_string(n);
                for (std::size_t at; (at = text->find(mark)) != std::string::npos;) {
                    text->replace(at, mark.size(), step.parameters[n - 1]);
                }
            }
        }
        bound = bound || !step.parameters.empty();
        step.parameters.clear();
    }
    return bound;
}

TEST_P(ShapeCacheTest, GivesTheTranslatorsTranslation) {
    const ShapeCase& c = GetParam();
    TranslationCache cache(c.dialect, 16);
    for (const Text& text : c.texts) {
        const std::size_t hits = cache.ShapeHits();
        const Program expected = Translate(text.sql, c.dialect);
        Program got = *cache.ProgramFor(text.sql);
        // A filled text is either a one-off or one prepared statement with its values bound.
        const bool bound = WriteParameters(got);
        EXPECT_EQ(got.oneOff || bound, text.filled) << text.sql;
        got.oneOff = false;
        EXPECT_EQ(got, expected) << text.sql;
        EXPECT_EQ(cache.ShapeHits() - hits, text.filled ? 1u : 0u) << text.sql;
        // The same text again gives the same translation.
        got = *cache.ProgramFor(text.sql);
        WriteParameters(got);
        got.oneOff = false;
        EXPECT_EQ(got, expected) << text.sql;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShapeCacheTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

using testing::ErrorOf;

TEST(ShapeCache, FaultyLiteralsOfAKnownShapeFailAsInTheTranslator) {
    TranslationCache cache(Dialect::Jet, 16);
    cache.ProgramFor("INSERT INTO t (a, d) VALUES ('x', #2020-12-21#)");
    const char* faulty = "INSERT INTO t (a, d) VALUES ('y', #2020-13-45#)";
    const DbError expected = ErrorOf([&] { Translate(faulty, Dialect::Jet); });
    const DbError got = ErrorOf([&] { cache.ProgramFor(faulty); });
    EXPECT_EQ(got.Number(), expected.Number());
    EXPECT_EQ(got.Description(), expected.Description());
    EXPECT_EQ(cache.ShapeHits(), 0u);
}

TEST(ShapeCache, NamesAndWordsArePartOfTheShape) {
    const auto key = [](const char* sql) {
        const auto shape = ShapeOf(Tokenize(sql), Dialect::Jet);
        return shape ? shape->key : std::string();
    };
    EXPECT_EQ(key("DELETE FROM t WHERE a = 1"), key("DELETE FROM t WHERE a = 2"));
    EXPECT_EQ(key("DELETE FROM t WHERE a = 'x'"), key("DELETE FROM t WHERE a = 'it''s'"));
    EXPECT_NE(key("DELETE FROM t WHERE a = 1"), key("DELETE FROM t WHERE a = '1'"));
    EXPECT_NE(key("DELETE FROM t WHERE a = 1"), key("DELETE FROM u WHERE a = 1"));
    EXPECT_NE(key("DELETE FROM t WHERE a = 1"), key("DELETE FROM [t] WHERE a = 1"));
    EXPECT_NE(key("DELETE FROM [a b] WHERE c = 1"), key("DELETE FROM [a] WHERE [b c] = 1"));
    EXPECT_NE(key("DELETE FROM t WHERE a = 1"), key("DELETE FROM t WHERE a = NULL"));
    EXPECT_NE(key("DELETE FROM t WHERE a = 1"), key("DELETE FROM t WHERE a = -1"));
    for (const char* unshaped :
         {"SELECT TOP 1 a FROM t", "SELECT a FROM t WHERE b LIKE 'x'", "SELECT Len(a) FROM t",
          "SELECT a FROM t WHERE b = @v", "SELECT a FROM t; SELECT b FROM t",
          "CREATE TABLE t (a INT)", "EXEC sp_help 't'", "sp_rename 'a', 'b'",
          "IF EXISTS (SELECT * FROM t) DROP TABLE t"}) {
        EXPECT_FALSE(ShapeOf(Tokenize(unshaped), Dialect::SqlServer)) << unshaped;
    }
}

// Values written through filled shapes read back as they were written.
TEST(ShapeCache, FilledStatementsStoreTheirValues) {
    testing::TempDir dir;
    auto session = Open(dir / "store.mdb", OpenOptions{Dialect::Jet, {}, true});
    session->Execute("CREATE TABLE t (k INT, a TEXT(50), n DOUBLE, d DATETIME)", 30);
    const char* rows[] = {
        "INSERT INTO t (k, a, n, d) VALUES (1, 'plain', 5, #2020-12-21#)",
        "INSERT INTO t (k, a, n, d) VALUES (2, 'it''s', 12, #12/21/2020 10:30 PM#)",
        "INSERT INTO t (k, a, n, d) VALUES (3, '타이레놀정 500mg', 0, #2021-01-02 03:04:05#)",
    };
    for (const char* row : rows) EXPECT_EQ(testing::Affected(*session, row), 1) << row;
    EXPECT_EQ(testing::Affected(*session, "UPDATE t SET n = -7 WHERE k = 2"), 1);
    EXPECT_EQ(testing::Affected(*session, "UPDATE t SET n = -8 WHERE k = 3"), 1);
    const auto all = testing::AllRows(*session, "SELECT a, n FROM t ORDER BY k");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0][0].AsText(), "plain");
    EXPECT_EQ(all[1][0].AsText(), "it's");
    EXPECT_EQ(all[1][1].AsDouble(), -7.0);
    EXPECT_EQ(all[2][0].AsText(), "타이레놀정 500mg");
    EXPECT_EQ(all[2][1].AsDouble(), -8.0);
}

}  // namespace
}  // namespace db::embedded
