// The translation cache: texts of a known shape get the translation that the translator gives
// them, whatever their literal values; shapes whose literals steer the translation are always
// translated in full.
#include "db/embedded/translation_cache.h"
#include "db/embedded/case_file.h"
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

// The texts of tables/shapes.txt, each block given to one cache in order.
TEST(ShapeCache, GivesTheTranslatorsTranslation) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/shapes.txt")) {
        SCOPED_TRACE(block.front().second);
        const Dialect dialect = block.at(1).second == "jet" ? Dialect::Jet : Dialect::SqlServer;
        TranslationCache cache(dialect, 16);
        for (const auto& [key, sql] : block) {
            if (key != "filled" && key != "full") continue;
            const bool filled = key == "filled";
            const std::size_t hits = cache.ShapeHits();
            const Program expected = Translate(sql, dialect);
            Program got = *cache.ProgramFor(sql);
            // A filled text is either a one-off or one prepared statement with its values bound.
            const bool bound = WriteParameters(got);
            EXPECT_EQ(got.oneOff || bound, filled) << sql;
            got.oneOff = false;
            EXPECT_EQ(got, expected) << sql;
            EXPECT_EQ(cache.ShapeHits() - hits, filled ? 1u : 0u) << sql;
            // The same text again gives the same translation.
            got = *cache.ProgramFor(sql);
            WriteParameters(got);
            got.oneOff = false;
            EXPECT_EQ(got, expected) << sql;
        }
    }
}

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
