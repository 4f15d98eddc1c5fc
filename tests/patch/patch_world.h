#pragma once
// A store database of either kind with the tables that the test catalogues and the closing
// repairs touch, a run context as the main window keeps it, and helpers to run a catalogue and
// read what it did.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "patch/resume_record.h"
#include "patch/run_catalogue.h"
#include "patch/run_context.h"
#include "patch/step.h"
#include "repairs/store_world.h"
#include "repairs/table_rows.h"

namespace patch_test {

using store_test::Kind;

// Tables of a store database before any test step: the product tables with a wrongly flagged
// product, the order tables, an indexed 사용상품.SCPCODE and an empty history.
inline std::vector<std::string> BaseSchema() {
    std::vector<std::string> sql = {
        "CREATE TABLE 사용상품 (제품코드 VARCHAR(10), 제품분류 VARCHAR(4), 연합회코드 VARCHAR(20), "
        "조제약여부 SMALLINT, DEL_CHK SMALLINT, SCPCODE VARCHAR(10), 심평원규격 VARCHAR(40))",
        "CREATE INDEX IX_SCPCODE ON 사용상품 (SCPCODE)",
        "CREATE TABLE 상품분류코드 (분류코드 VARCHAR(4), 조제구분 SMALLINT, DEL_CHK SMALLINT)",
        "CREATE TABLE 임시입출상품 (제품코드 VARCHAR(10))",
    };
    for (auto& statement : store_test::OrderTablesSql()) sql.push_back(std::move(statement));
    sql.push_back(
        "CREATE TABLE PATCH_HIST (날짜 VARCHAR(8), 번호 INT, NV_Ver VARCHAR(20), "
        "NV_ETC VARCHAR(100), NV_GUBUN INT, NV_Date DATETIME)");
    return sql;
}

// A product whose 조제약여부 the closing repair corrects (to 0), and an order line whose
// package quantity it corrects (to 10).
inline std::vector<std::string> WorkForTheClosingRepairs() {
    return {
        "INSERT INTO 사용상품 (제품코드, 제품분류, 연합회코드, 조제약여부, DEL_CHK) "
        "VALUES ('P1', '0001', '', 5, 0)",
        "INSERT INTO 확장바코드 VALUES ('P1', 'B1', 10, 0)",
        "INSERT INTO 전표마스터 VALUES ('20200101', '000001', '발주전표', 0)",
        "INSERT INTO 입출상품 VALUES ('20200101', '000001', 1, 'P1', 'B1', 1, 0, 0)",
    };
}

inline constexpr const char* kMarkerInsert = "INSERT INTO 임시입출상품 (제품코드) VALUES ('MARK')";

// Raises the error when run as a follow-up routine.
inline patch::Routine Raise(std::int32_t number, std::string description) {
    return [number, description](patch::RunContext&) { throw db::DbError(number, description); };
}

inline bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class PatchWorld : public store_test::StoreWorld {
  public:
    explicit PatchWorld(Kind kind) : StoreWorld(kind), context_(Runtime()) {
        context_.RunDbKind = kind == Kind::Mdb ? 0 : 1;
        context_.OnRule = [this](const patch::RuleEvent& e) { rules_.push_back(e); };
    }

    void MakeStore(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> sql = BaseSchema();
        sql.insert(sql.end(), extra.begin(), extra.end());
        Make(sql);
    }

    bool Run(const patch::Catalogue& catalogue) {
        bool ok = false;
        patch::RunPatchCatalogue(context_, catalogue, ok);
        return ok;
    }

    // Records every action statement sent to the engines from now on.
    void TraceStatements() {
        Runtime().Ado().router->Trace().Observe([this](const db::TracedStatement& s) {
            if (!s.query) executed_.emplace_back(s.sql);
        });
    }
    bool Executed(const std::string& sql) const { return Contains(executed_, sql); }

    // Each row of the query as its values joined by "|", Null as "NULL".
    std::vector<std::string> Rows(const std::string& sql) {
        return store_test::TableRows(*Runtime().StoreConnection, sql);
    }
    bool HasTable(const std::string& table) {
        try {
            return !Columns(table).empty();
        } catch (const db::DbError&) {
            return false;
        }
    }
    std::optional<db::ColumnInfo> Column(const std::string& table, const std::string& name) {
        for (const auto& column : Columns(table)) {
            if (column.name == name) return column;
        }
        return std::nullopt;
    }

    patch::RunContext& Context() { return context_; }
    const std::vector<patch::RuleEvent>& Rules() const { return rules_; }
    std::vector<int> RuleNumbers() const {
        std::vector<int> numbers;
        for (const auto& e : rules_) numbers.push_back(e.rule);
        return numbers;
    }
    void ClearRules() { rules_.clear(); }
    // The error rules' decisions, for failure messages.
    std::string RuleText() const {
        std::string text;
        for (const auto& e : rules_) {
            text += "\n mark " + std::to_string(e.mark) + " rule " + std::to_string(e.rule) + " " +
                    std::to_string(e.number) + " " + e.description;
        }
        return text;
    }
    // Forgets the run list, the rule decisions and the marker rows, for another run on the same
    // database; the record of gated blocks goes as a finished run's history would make it.
    void ResetObservations() {
        Runtime().MainWindow().List1 = {};
        rules_.clear();
        Execute("DELETE FROM 임시입출상품 WHERE 제품코드 = 'MARK'");
        if (HasTable(patch::kResumeTable))
            Execute(std::string("DROP TABLE ") + patch::kResumeTable);
    }
    int Pg1() { return Runtime().MainWindow().pg1.value; }
    int ListIndex() { return Runtime().MainWindow().List1.listIndex; }
    int Markers() {
        return std::stoi(Scalar("SELECT COUNT(*) FROM 임시입출상품 WHERE 제품코드 = 'MARK'"));
    }
    // True when the closing repairs have not run: the wrongly flagged product is unchanged.
    bool ClosingSkipped() {
        return Scalar("SELECT 조제약여부 FROM 사용상품 WHERE 제품코드 = 'P1'") == "5";
    }

  private:
    patch::RunContext context_;
    std::vector<patch::RuleEvent> rules_;
    std::vector<std::string> executed_;
};

// The literal run-list lines of the steps, those of nested branches included, in catalogue order.
inline std::vector<std::string> CatalogueLines(const patch::Catalogue& catalogue) {
    std::vector<std::string> lines;
    std::function<void(const patch::Block&)> add = [&](const patch::Block& block) {
        for (const patch::Instruction& i : block.actions) {
            if (const auto* line = std::get_if<patch::action::Line>(&i)) {
                lines.push_back(line->text.Literal());
            } else if (const auto* nested = std::get_if<patch::action::Nested>(&i)) {
                add(*nested->block);
            }
        }
    };
    for (const patch::Step& step : catalogue) {
        for (const patch::Block& block : step.Blocks()) add(block);
    }
    return lines;
}

// The blocks of a file under cases/: blocks separated by blank lines, each a list of "key: value"
// lines in their order; lines starting with '#' are comments.
using CaseBlock = std::vector<std::pair<std::string, std::string>>;

inline std::vector<CaseBlock> ReadCaseBlocks(const std::string& name) {
    std::ifstream in(std::filesystem::path(DATAPATCH_TESTS_DIR) / "patch" / "cases" / name);
    EXPECT_TRUE(in) << "no case file " << name;
    std::vector<CaseBlock> blocks(1);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line == "\r") {
            if (!blocks.back().empty()) blocks.emplace_back();
        } else if (line[0] != '#') {
            const std::size_t colon = line.find(": ");
            const std::size_t end = line.find_last_not_of('\r');
            blocks.back().emplace_back(line.substr(0, colon),
                                       line.substr(colon + 2, end - colon - 1));
        }
    }
    if (blocks.back().empty()) blocks.pop_back();
    return blocks;
}

}  // namespace patch_test
