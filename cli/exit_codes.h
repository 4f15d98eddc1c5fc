#pragma once
// Exit codes of the datapatch command line; the README documents them.
namespace cli {
enum ExitCode : int {
    kSuccess = 0,
    kPassFailed = 1,         // a patch pass stopped on an error
    kStatementFailed = 1,    // sql: a statement text failed or the database did not open
    kStartupEnded = 2,       // start-up ended the program (message shown)
    kHandedToMigration = 3,  // the database was handed to the migration tool
    kNoExactPreview = 4,     // plan: an engine could not keep the preview's changes apart
    kPending = 10,           // status: a database still needs patching (0: all up to date)
    kUsage = 64,             // bad command line
    kInternal = 70,          // unexpected failure
};
}  // namespace cli
