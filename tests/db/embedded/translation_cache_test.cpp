// The translation cache: texts of a known shape get the translation that the translator gives
// them, whatever their literal values; shapes whose literals steer the translation are always
// translated in full.
#include "db/embedded/translation_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/session_helpers.h"
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

}  // namespace
}  // namespace db::embedded
