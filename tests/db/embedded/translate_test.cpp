#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/translator.h"
#include "db/error.h"

namespace db::embedded {
namespace {

std::vector<std::string> Texts(std::string_view sql, Dialect dialect) {
    std::vector<std::string> out;
    for (const Step& step : Translate(sql, dialect).steps) out.push_back(step.sql);
    return out;
}

// The statements of tables/translations.txt.
TEST(TranslateTest, WritesSqliteText) {
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/translations.txt")) {
        const Dialect dialect = block.at(0).second == "jet" ? Dialect::Jet : Dialect::SqlServer;
        std::vector<std::string> sqlite;
        for (const auto& [key, text] : block) {
            if (key == "sqlite") sqlite.push_back(text);
        }
        EXPECT_EQ(Texts(block.at(1).second, dialect), sqlite) << block.at(1).second;
    }
}

// The batches of tables/batch_splits.txt; Jet leaves a batch whole, to fail.
TEST(TranslateTest, SplitsServerBatchesAtStatementStarts) {
    using K = Step::Kind;
    const std::map<K, std::string> kNames = {{K::Sql, "Sql"},
                                             {K::Insert, "Insert"},
                                             {K::DropColumn, "DropColumn"},
                                             {K::AlterColumn, "AlterColumn"},
                                             {K::SkipUnless, "SkipUnless"}};
    for (const testing::Block& block : testing::LoadBlocks("embedded/tables/batch_splits.txt")) {
        std::string kinds;
        for (const Step& step : Translate(block.at(0).second, Dialect::SqlServer).steps) {
            kinds += (kinds.empty() ? "" : " ") + kNames.at(step.kind);
        }
        EXPECT_EQ(kinds, block.at(1).second) << block.at(0).second;
    }
    EXPECT_EQ(Translate("SELECT * FROM a\r\n DELETE FROM b", Dialect::Jet).steps.size(), 1u);
    EXPECT_EQ(
        Translate("IF EXISTS (SELECT * FROM a) DELETE FROM b DROP TABLE c", Dialect::SqlServer)
            .steps[0]
            .skip,
        1u);
}

// Nesting as deep as SQLite's limit on an expression tree is translated; deeper nesting, however
// deep, is refused with the real engines' own refusal instead of running out of stack (SQL Server
// error 191; Jet's "Query is too complex.").
TEST(TranslateTest, NestingDeeperThanTheEnginesTakeIsRefused) {
    const auto nested = [](int depth, std::string_view open, std::string_view close) {
        std::string text = "SELECT ";
        for (int i = 0; i < depth; ++i) text += open;
        text += "1";
        for (int i = 0; i < depth; ++i) text += close;
        return text + " AS n";
    };
    for (const Dialect dialect : {Dialect::Jet, Dialect::SqlServer}) {
        EXPECT_NO_THROW(Translate(nested(1000, "(", ")"), dialect));
        const std::string refusal =
            dialect == Dialect::Jet ? "Query is too complex." : "nested too deeply";
        for (const auto& [open, close] : {std::pair<std::string_view, std::string_view>{"(", ")"},
                                          {"ABS(", ")"},
                                          {"CASE WHEN 1 = 1 THEN ", " END"}}) {
            try {
                Translate(nested(30000, open, close), dialect);
                ADD_FAILURE() << open << " nested 30000 times was translated";
            } catch (const DbError& e) {
                EXPECT_EQ(e.Number(), ErrorNumber::kSyntax) << open;
                EXPECT_NE(e.Description().find(refusal), std::string::npos) << e.Description();
            }
        }
    }
}

}  // namespace
}  // namespace db::embedded
