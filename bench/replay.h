#pragma once
// Replays of a statement trace: through the embedded engine's session (translation, statement
// reuse, one transaction per statement) and through SQLite itself on texts translated before.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct ReplayResult {
    double seconds = 0;         // wall time
    double cpuSeconds = 0;      // processor time of this process (user and system)
    std::int64_t rowsRead = 0;  // rows handed out by the selects
};

// Creates `file` as an MDB holding the table of `tableSql` and the rows of `seed` (inserted in
// one transaction).
void BuildDatabase(const std::filesystem::path& file, const std::string& tableSql,
                   const std::vector<std::string>& seed);

// The SQLite texts of Jet statements, each translated as the engine translates it. Throws
// std::runtime_error for a statement that does not become exactly one plain SQLite statement.
std::vector<std::string> TranslateTrace(const std::vector<std::string>& texts);

// Runs every text through an engine session on `file`. Throws std::runtime_error on the first
// failing statement.
ReplayResult ReplayEngine(const std::filesystem::path& file, const std::vector<std::string>& texts);

// Runs every SQLite text with prepare, step and finalize, each in autocommit, with the engine's
// journal settings. Throws std::runtime_error on the first failing statement.
ReplayResult ReplaySqlite(const std::filesystem::path& file,
                          const std::vector<std::string>& sqliteTexts);

// A summary of the table's content (row count, quantity total, text lengths), equal for two
// files that hold the same rows.
std::string Fingerprint(const std::filesystem::path& file);

}  // namespace bench
