// The CREATE texts of the server routines: their exact openings, CR LF lines, and that SQL
// Server mode of the embedded engine records them as the routines it runs.
#include "patch/server_routines.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db/embedded/embedded.h"
#include "db/error.h"

namespace patch {
namespace {

struct RoutineText {
    std::string text;
    std::string opening;
};

std::vector<RoutineText> Texts() {
    return {
        {SplitFunctionText(),
         " CREATE FUNCTION [dbo].[FN_SPLIT_nth](@ParamData Varchar(8000)) \r\n"},
        {StockRecalcProcedureText(), " CREATE Proc [dbo].[PR_NVMgt_U_StockReCalc]          \r\n"},
    };
}

TEST(ServerRoutinesTest, TextsOpenAsSpecifiedAndEndEveryLineWithCrLf) {
    for (const RoutineText& r : Texts()) {
        EXPECT_EQ(r.text.rfind(r.opening, 0), 0u) << r.text.substr(0, 80);
        ASSERT_GE(r.text.size(), 2u);
        EXPECT_EQ(r.text.substr(r.text.size() - 2), "\r\n");
        for (std::size_t i = 0; i < r.text.size(); ++i) {
            if (r.text[i] == '\n') {
                EXPECT_TRUE(i > 0 && r.text[i - 1] == '\r') << "bare LF at " << i;
            }
            if (r.text[i] == '\r') {
                EXPECT_TRUE(i + 1 < r.text.size() && r.text[i + 1] == '\n') << "bare CR at " << i;
            }
        }
    }
}

// Parentheses and apostrophes balance, so that the texts are at least well formed.
TEST(ServerRoutinesTest, TextsAreBalanced) {
    for (const RoutineText& r : Texts()) {
        int depth = 0;
        bool quoted = false;
        bool comment = false;
        for (std::size_t i = 0; i < r.text.size(); ++i) {
            const char ch = r.text[i];
            if (!quoted && r.text.compare(i, 2, "--") == 0) comment = true;
            if (ch == '\n') comment = false;
            if (comment) continue;
            if (ch == '\'') quoted = !quoted;
            if (quoted) continue;
            depth += ch == '(' ? 1 : ch == ')' ? -1 : 0;
            EXPECT_GE(depth, 0);
        }
        EXPECT_EQ(depth, 0) << r.opening;
        EXPECT_FALSE(quoted) << r.opening;
    }
}

TEST(ServerRoutinesTest, SplitFunctionDeclaresAHundredFields) {
    const std::string text = SplitFunctionText();
    EXPECT_NE(text.find("Seq INT IDENTITY (1, 1) NOT NULL"), std::string::npos);
    EXPECT_NE(text.find("PValue100 Varchar(500)"), std::string::npos);
    EXPECT_EQ(text.find("PValue101"), std::string::npos);
    EXPECT_NE(text.find("WHEN FieldNo = 100 THEN"), std::string::npos);
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dp-patch-XXXXXX");
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

TEST(ServerRoutinesTest, TheEmbeddedServerRecordsAndRunsThem) {
    TempFolder dir;
    auto s = db::embedded::Open(dir.path() / "store.sqlite", {db::Dialect::SqlServer, "", true});
    s->Execute(SplitFunctionText(), 30);
    s->Execute(StockRecalcProcedureText(), 30);
    EXPECT_THROW(s->Execute(SplitFunctionText(), 30), db::DbError);  // exists already

    db::ExecOutcome kinds = s->Execute("SELECT name, xtype FROM SYSOBJECTS ORDER BY name", 30);
    std::vector<std::string> listed;
    std::vector<util::Variant> row;
    while (kinds.rows->Next(row)) listed.push_back(row[0].AsText() + ":" + row[1].AsText());
    EXPECT_EQ(listed, (std::vector<std::string>{"FN_SPLIT_nth:TF", "PR_NVMgt_U_StockReCalc:P"}));

    db::ExecOutcome split = s->Execute("SELECT PValue2 FROM dbo.FN_SPLIT_nth('a#b#$')", 30);
    ASSERT_TRUE(split.rows->Next(row));
    EXPECT_EQ(row[0], util::Variant("b"));
    // Without the store tables the procedure rolls back and reports nothing.
    EXPECT_NO_THROW(s->Execute("EXEC PR_NVMgt_U_StockReCalc '##P1#20201130#0001#$'", 30));
}

}  // namespace
}  // namespace patch
