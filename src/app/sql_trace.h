#pragma once
// The statement trace of a support run: every statement sent to a database, the database it
// went to and its exact text, written to a file as it is sent. Passwords never reach the file:
// the database is described without its login, and password values inside a statement (a
// "PWD=…" or "PASSWORD = '…'" pair, or a quoted text equal to one of the configured passwords)
// are written as "****".
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace db {
struct TracedStatement;
}

namespace app {

class Process;

// "MDB C:\Quillon\Data\DatMain.mdb", "SQL Server STORE-SQL/ZENTRIX"; other connection strings
// as they are, passwords masked.
std::string DescribeDatabase(std::string_view connectionString);

// The text with the values of password pairs masked, and every quoted text ('…' or N'…') whose
// content equals one of the non-empty `secrets` masked.
std::string MaskPasswords(std::string_view text, const std::vector<std::string>& secrets = {});

class SqlTrace {
  public:
    // Starts tracing the statements of every connection of the process into the file
    // (replaced). Ok() tells whether the file could be opened.
    SqlTrace(Process& process, const std::filesystem::path& file);
    // Stops tracing.
    ~SqlTrace();
    SqlTrace(const SqlTrace&) = delete;
    SqlTrace& operator=(const SqlTrace&) = delete;

    bool Ok() const { return out_.good(); }
    int Count() const { return count_; }

  private:
    void Write(const db::TracedStatement& statement);
    // The passwords of the configuration as loaded so far.
    std::vector<std::string> Secrets();

    Process& process_;
    std::ofstream out_;
    int count_ = 0;
};

}  // namespace app
