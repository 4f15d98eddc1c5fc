#include "patch/step.h"

#include <algorithm>

namespace patch {

namespace {

void Misuse(Block& block, const char* what) {
    if (!block.misuse.empty()) block.misuse += "; ";
    block.misuse += what;
}

// A gate belongs before the check and the actions of its block.
void BeforeCheck(Block& block, const char* what) {
    if (block.checkSet || !block.actions.empty()) Misuse(block, what);
}

bool IsDateText(const std::string& text) {
    return text.size() == 8 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void BlockProblems(const Block& block, const std::string& where,
                   std::vector<std::string>& problems) {
    if (!block.misuse.empty()) problems.push_back(where + ": " + block.misuse);
    if (block.gates.before && !IsDateText(*block.gates.before)) {
        problems.push_back(where + ": date gate \"" + *block.gates.before + "\" is not YYYYMMDD");
    }
    if (block.gates.target && *block.gates.target != 0 && *block.gates.target != 1) {
        problems.push_back(where + ": target gate " + std::to_string(*block.gates.target));
    }
    for (const Instruction& instruction : block.actions) {
        if (const auto* nested = std::get_if<action::Nested>(&instruction)) {
            BlockProblems(*nested->block, where + " (nested)", problems);
        }
    }
}

}  // namespace

void SetTarget(Block& block, int target) {
    BeforeCheck(block, "target gate after the check or an action");
    block.gates.target = static_cast<std::int16_t>(target);
}

void SetDateGate(Block& block, std::string yyyymmdd) {
    BeforeCheck(block, "date gate after the check or an action");
    block.gates.before = std::move(yyyymmdd);
}

void SetCheck(Block& block, Check check) {
    if (block.checkSet) Misuse(block, "second check in one block");
    if (!block.actions.empty()) Misuse(block, "check after an action");
    block.check = std::move(check);
    block.checkSet = true;
}

void AddAction(Block& block, Instruction instruction) {
    block.actions.push_back(std::move(instruction));
}

Check MakeCheck(CheckKind kind, std::string table, std::string column, Text query,
                std::string field, double constant) {
    Check check;
    check.kind = kind;
    check.table = std::move(table);
    check.column = std::move(column);
    check.query = std::move(query);
    check.field = std::move(field);
    check.constant = constant;
    return check;
}

std::vector<std::string> CatalogueProblems(const Catalogue& catalogue) {
    std::vector<std::string> problems;
    int previous = 0;
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const Step& step = catalogue[i];
        const std::string where =
            "step " + std::to_string(i) + " (mark " + std::to_string(step.Mark()) + ")";
        if (step.Mark() < 1 || step.Mark() > 127) problems.push_back(where + ": mark out of range");
        if (step.Mark() < previous) problems.push_back(where + ": mark below the previous one");
        previous = std::max(previous, step.Mark());
        for (std::size_t b = 0; b < step.Blocks().size(); ++b) {
            BlockProblems(step.Blocks()[b], where + " block " + std::to_string(b), problems);
        }
    }
    return problems;
}

}  // namespace patch
