#pragma once
// The catalogue's steps as data. A step has a mark and one or more blocks; a block has optional
// gates (target, date), one check and its actions, which may hold nested blocks. The first
// block's gates are the step's: when one is closed the step does nothing and leaves the step
// mark alone. Further blocks ("then, independently") and nested blocks have gates of their own.
//
// The builder methods let a row read like its description:
//   Step(3).WhenColumnMissing("사용상품", "표준상품").Line("…").Run("ALTER TABLE …")
//   Step(87).WhenColumnMissing(…).Run(…).Nested(Branch().WhenColumnPresent(…).Run(…))
// Gates come before the check and the check before the actions; a call out of that order is
// recorded in the block and reported by CatalogueProblems.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "patch/text.h"

namespace patch {

struct RunContext;

// A follow-up routine (data repair, server routine installer, column rewrite).
using Routine = std::function<void(RunContext&)>;
// A routine whose answer decides: "there is work" for a check, "succeeded" for CallOrStop.
using RoutineResult = std::function<bool(RunContext&)>;
// A routine that answers the text of a run-list line.
using RoutineLine = std::function<std::string(RunContext&)>;

struct Gates {
    std::optional<std::int16_t> target;  // open only for this PatchTarget
    std::optional<std::string> before;   // open only while LastPatchDate < this "YYYYMMDD"
};

enum class CheckKind {
    Always,
    ColumnMissing,        // FieldExists false
    ColumnPresent,        // FieldExists true
    TableMissing,         // TableExists false
    TablePresent,         // TableExists true
    NoRow,                // the probe is at its end
    AnyRow,               // the probe has a row
    FieldGreater,         // Nz(probe!field) > constant
    FieldLess,            // Nz(probe!field) < constant
    RecordCountGreater,   // probe.RecordCount > constant
    ColumnSizeIs,         // the DAO field size equals constant
    RoutineSaysWork,      // routine() is true
    SqlServerConfigured,  // the configured database kind is 1
    MdbConfigured,        // the configured database kind is not 1
    RunDbKindMdb,         // RunDbKind is 0
    RunDbKindNotMdb,      // RunDbKind is not 0
};

struct Check {
    CheckKind kind = CheckKind::Always;
    std::string table;
    std::string column;
    Text query;
    std::string field;
    double constant = 0;
    RoutineResult routine;
};

struct Block;

namespace action {
struct Line {
    Text text;
};
struct LineFrom {
    RoutineLine routine;
};
struct Run {
    Text text;
};
// Chosen by the configured database kind: 1 the SQL Server text, any other the MDB text.
struct RunPair {
    Text sqlServer;
    Text mdb;
};
struct Call {
    Routine routine;
};
// Ends the whole run with false when the routine answers false.
struct CallOrStop {
    RoutineResult routine;
};
struct Nested {
    std::shared_ptr<const Block> block;
};
}  // namespace action

using Instruction = std::variant<action::Line, action::LineFrom, action::Run, action::RunPair,
                                 action::Call, action::CallOrStop, action::Nested>;

struct Block {
    Gates gates;
    Check check;
    std::vector<Instruction> actions;
    bool checkSet = false;
    std::string misuse;  // builder calls made out of order, empty when none
};

// Recording of builder calls; the builders below forward to these.
void SetTarget(Block& block, int target);
void SetDateGate(Block& block, std::string yyyymmdd);
void SetCheck(Block& block, Check check);
void AddAction(Block& block, Instruction instruction);
Check MakeCheck(CheckKind kind, std::string table = {}, std::string column = {}, Text query = {},
                std::string field = {}, double constant = 0);

class Branch;

template <class Self>
class BlockBuilder {
  public:
    // --- gates ------------------------------------------------------------------------------
    Self& OnlyTarget(int target) {
        SetTarget(Current(), target);
        return Done();
    }
    Self& DateGate(std::string yyyymmdd) {
        SetDateGate(Current(), std::move(yyyymmdd));
        return Done();
    }

    // --- checks -----------------------------------------------------------------------------
    Self& Always() { return Is(CheckKind::Always); }
    Self& WhenColumnMissing(std::string table, std::string column) {
        return Is(CheckKind::ColumnMissing, std::move(table), std::move(column));
    }
    Self& WhenColumnPresent(std::string table, std::string column) {
        return Is(CheckKind::ColumnPresent, std::move(table), std::move(column));
    }
    Self& WhenTableMissing(std::string table) {
        return Is(CheckKind::TableMissing, std::move(table));
    }
    Self& WhenTablePresent(std::string table) {
        return Is(CheckKind::TablePresent, std::move(table));
    }
    Self& WhenNoRow(Text query) { return Is(CheckKind::NoRow, {}, {}, std::move(query)); }
    Self& WhenRow(Text query) { return Is(CheckKind::AnyRow, {}, {}, std::move(query)); }
    // The probe's field, read through Nz as a number (Null as 0), compared with the constant.
    Self& WhenFieldGreater(Text query, std::string field, double constant) {
        return Is(CheckKind::FieldGreater, {}, {}, std::move(query), std::move(field), constant);
    }
    Self& WhenFieldLess(Text query, std::string field, double constant) {
        return Is(CheckKind::FieldLess, {}, {}, std::move(query), std::move(field), constant);
    }
    Self& WhenRecordCountGreater(Text query, int constant) {
        return Is(CheckKind::RecordCountGreater, {}, {}, std::move(query), {}, constant);
    }
    // The field's size in the DAO table definition equals `size`.
    Self& WhenColumnSize(std::string table, std::string column, int size) {
        return Is(CheckKind::ColumnSizeIs, std::move(table), std::move(column), {}, {}, size);
    }
    Self& WhenRoutine(RoutineResult routine) {
        Check check = MakeCheck(CheckKind::RoutineSaysWork);
        check.routine = std::move(routine);
        SetCheck(Current(), std::move(check));
        return Done();
    }
    Self& WhenSqlServerConfigured() { return Is(CheckKind::SqlServerConfigured); }
    Self& WhenMdbConfigured() { return Is(CheckKind::MdbConfigured); }
    Self& WhenRunDbKindMdb() { return Is(CheckKind::RunDbKindMdb); }
    Self& WhenRunDbKindNotMdb() { return Is(CheckKind::RunDbKindNotMdb); }

    // --- actions ----------------------------------------------------------------------------
    Self& Line(Text text) { return Add(action::Line{std::move(text)}); }
    Self& LineFrom(RoutineLine routine) { return Add(action::LineFrom{std::move(routine)}); }
    Self& Run(Text text) { return Add(action::Run{std::move(text)}); }
    Self& Run(Text sqlServer, Text mdb) {
        return Add(action::RunPair{std::move(sqlServer), std::move(mdb)});
    }
    // One statement of lines, each followed by CR LF.
    Self& RunLines(std::initializer_list<const char*> lines) { return Run(patch::Lines(lines)); }
    Self& Call(Routine routine) { return Add(action::Call{std::move(routine)}); }
    Self& CallOrStop(RoutineResult routine) { return Add(action::CallOrStop{std::move(routine)}); }
    Self& Nested(const Branch& branch);

  private:
    Block& Current() { return static_cast<Self*>(this)->CurrentBlock(); }
    Self& Done() { return static_cast<Self&>(*this); }
    Self& Is(CheckKind kind, std::string table = {}, std::string column = {}, Text query = {},
             std::string field = {}, double constant = 0) {
        SetCheck(Current(), MakeCheck(kind, std::move(table), std::move(column), std::move(query),
                                      std::move(field), constant));
        return Done();
    }
    Self& Add(Instruction instruction) {
        AddAction(Current(), std::move(instruction));
        return Done();
    }
};

// A nested block, for Nested(): Branch().OnlyTarget(1).Run("…").
class Branch : public BlockBuilder<Branch> {
  public:
    const Block& Data() const { return block_; }

  private:
    friend class BlockBuilder<Branch>;
    Block& CurrentBlock() { return block_; }
    Block block_;
};

template <class Self>
Self& BlockBuilder<Self>::Nested(const Branch& branch) {
    return Add(action::Nested{std::make_shared<const Block>(branch.Data())});
}

class Step : public BlockBuilder<Step> {
  public:
    explicit Step(int mark) : mark_(mark), blocks_(1) {}
    // Starts a block that runs whatever the previous blocks decided.
    Step& ThenIndependently() {
        blocks_.emplace_back();
        return *this;
    }
    int Mark() const { return mark_; }
    const std::vector<Block>& Blocks() const { return blocks_; }

  private:
    friend class BlockBuilder<Step>;
    Block& CurrentBlock() { return blocks_.back(); }
    int mark_;
    std::vector<Block> blocks_;
};

using Catalogue = std::vector<Step>;

// What is wrong with the catalogue's layout, one text per problem: marks outside 1..127 or out
// of order, date gates not "YYYYMMDD", builder calls out of order. Empty for a sound catalogue.
std::vector<std::string> CatalogueProblems(const Catalogue& catalogue);

}  // namespace patch
