#pragma once
// The CREATE texts of the two server routines that the catalogue installs on SQL Server store
// databases (InstallSplitFunction, InstallStockRecalcProcedure). Every line ends in CR LF.
#include <string>

namespace config {
class Runtime;
}

namespace patch {

// FN_SPLIT_nth(@ParamData): the records of the text (each followed by "$") as rows of a table,
// Seq numbering them from 1, PValue1 … PValue100 holding their fields (each followed by "#"),
// empty where a record has fewer; fields past the 100th are dropped, an unterminated last record
// or field still counts.
std::string SplitFunctionText();

// PR_NVMgt_U_StockReCalc(@Para1st): recalculates one product's stock, average cost and profit
// through its stock movement lines, in one transaction rolled back on any error.
std::string StockRecalcProcedureText();

// Execute the CREATE text of the routine once on StoreConnection: no check, no run-list line, no
// answer. A failure (the routine still exists, an MDB database) is raised to the caller, whose
// error rules decide.
void InstallSplitFunction(config::Runtime& runtime);
void InstallStockRecalcProcedure(config::Runtime& runtime);

}  // namespace patch
