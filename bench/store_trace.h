#pragma once
// The engine's statement record of a run (see the engine trace of the embedded engine), split
// into one sqlite3 shell script a database file, and the fingerprints that show two copies of a
// store hold the same rows.
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>

namespace bench {

struct ShellScripts {
    std::map<std::filesystem::path, std::filesystem::path> scripts;  // database -> script
    std::size_t statements = 0;
};

// Reads the record and writes a script a database into `folder`. Database files under `from`
// are renamed to the same place under `to` (the copy that the shell works on). Each script loads
// `extension`, sends the results of queries to /dev/null and runs the statements in their
// order, each on its own as the engine ran it. Throws std::runtime_error for a damaged record.
ShellScripts WriteShellScripts(const std::filesystem::path& record,
                               const std::filesystem::path& from, const std::filesystem::path& to,
                               const std::filesystem::path& folder,
                               const std::filesystem::path& extension);

// "table rows; …" of every table of every SQLite database under `root`, the file names taken
// relative to root, so that two copies of a store compare equal when they hold as many rows in
// every table.
std::string Fingerprint(const std::filesystem::path& root);

// The content of every table of every SQLite database under `root` (backups left out): per table
// a checksum of its rows in any order, each row's values with their types. The times a run writes
// (the date and time of day, and its log names) are left out, so that two runs of one store
// compare equal when they left the same rows. Keyed by "file: table".
std::map<std::string, std::string> ContentFingerprint(const std::filesystem::path& root);

}  // namespace bench
