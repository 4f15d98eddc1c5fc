#pragma once
// `datapatch sql`: runs statement texts on a store database and prints what each one gives.
// Texts come from a file or standard input, separated by lines holding only "GO".
#include <string>

namespace CLI {
class App;
}

namespace cli {

struct SqlOptions {
    std::string input;     // file of statement texts; empty or "-" reads standard input
    std::string mdb;       // an MDB file: a Windows path under the root, or a plain file path
    std::string server;    // a SQL Server name, resolved through the login file
    std::string database;  // with server
    std::string user;      // with server; empty takes the login defaults
    std::string password;  // with server or mdb; never echoed
};

// Adds the subcommand and its options to `parent`; the options are written into `options`.
CLI::App* AddSqlCommand(CLI::App& parent, SqlOptions& options);

// Runs every text; 0 when all succeeded, 1 when a text failed or the database could not be
// opened (the error is printed either way).
int RunSqlCommand(const SqlOptions& options, const std::string& root);

}  // namespace cli
