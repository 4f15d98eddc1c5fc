#include "store_trace.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace bench {
namespace {

namespace fs = std::filesystem;

fs::path Rebase(const fs::path& file, const fs::path& from, const fs::path& to) {
    const fs::path relative = file.lexically_relative(from);
    if (relative.empty() || *relative.begin() == "..") {
        throw std::runtime_error("statement on a database outside the store: " + file.string());
    }
    return to / relative;
}

bool IsSqliteFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[16] = {};
    in.read(header, sizeof header);
    return in.gcount() == sizeof header && std::string_view(header, 15) == "SQLite format 3";
}

void Require(int rc, sqlite3* db, const std::string& what) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    throw std::runtime_error(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct Finalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

// Every value of the first column of the query, as text.
std::vector<std::string> Column(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    Require(sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr), db, sql);
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt(raw);
    std::vector<std::string> values;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
        values.emplace_back(text != nullptr ? text : "");
    }
    Require(rc, db, sql);
    return values;
}

std::string QuoteName(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

ShellScripts WriteShellScripts(const fs::path& record, const fs::path& from, const fs::path& to,
                               const fs::path& folder, const fs::path& extension) {
    std::ifstream in(record, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + record.string());
    fs::create_directories(folder);
    ShellScripts result;
    std::map<fs::path, std::ofstream> outs;
    std::string header;
    std::string sql;
    while (std::getline(in, header)) {
        const std::size_t tab = header.rfind('\t');
        if (tab == std::string::npos) throw std::runtime_error("damaged record: " + header);
        const fs::path database = header.substr(0, tab);
        const std::size_t length = std::stoul(header.substr(tab + 1));
        sql.resize(length);
        in.read(sql.data(), static_cast<std::streamsize>(length));
        if (in.gcount() != static_cast<std::streamsize>(length) || in.get() != '\n') {
            throw std::runtime_error("damaged record after " + std::to_string(result.statements) +
                                     " statements");
        }
        if (database.empty()) continue;  // a temporary database of the engine's own
        const fs::path target = Rebase(database, from, to);
        auto it = outs.find(target);
        if (it == outs.end()) {
            const fs::path script = folder / ("replay-" + std::to_string(outs.size() + 1) + ".sql");
            it = outs.emplace(target, std::ofstream(script, std::ios::binary)).first;
            result.scripts.emplace(target, script);
            it->second << ".load " << extension.string() << "\n"
                       << ".mode list\n.output /dev/null\n";
        }
        // The line break keeps a closing line comment away from the terminator.
        it->second << sql << "\n;\n";
        ++result.statements;
    }
    for (auto& [database, out] : outs) {
        out.flush();
        if (!out) throw std::runtime_error("cannot write the script of " + database.string());
    }
    return result;
}

namespace {

std::vector<fs::path> StoreFiles(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        // A run's backups are file copies, not statements: the replay has none.
        if (entry.path().parent_path().filename() == "Patch" &&
            entry.path().parent_path().parent_path().filename() == "Backup") {
            continue;
        }
        if (entry.is_regular_file() && IsSqliteFile(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return false;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// text with "yyyy-mm-dd hh:mm:ss" and "yyyymmdd-hhmmss" (the run's clock) replaced by '#'.
std::string WithoutTimes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (Digits(text, i, 4) && i + 19 <= text.size() && text[i + 4] == '-' &&
            Digits(text, i + 5, 2) && text[i + 7] == '-' && Digits(text, i + 8, 2) &&
            text[i + 10] == ' ' && Digits(text, i + 11, 2) && text[i + 13] == ':' &&
            Digits(text, i + 14, 2) && text[i + 16] == ':' && Digits(text, i + 17, 2)) {
            out += '#';
            i += 19;
        } else if (Digits(text, i, 8) && i + 15 <= text.size() && text[i + 8] == '-' &&
                   Digits(text, i + 9, 6)) {
            out += '#';
            i += 15;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::uint64_t Hash(std::string_view text, std::uint64_t hash = 14695981039346656037ull) {
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

}  // namespace

std::map<std::string, std::string> ContentFingerprint(const fs::path& root) {
    std::map<std::string, std::string> print;
    for (const fs::path& file : StoreFiles(root)) {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        std::unique_ptr<sqlite3, Closer> db(raw);
        Require(rc, raw, "open " + file.string());
        for (const std::string& table :
             Column(raw, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
            sqlite3_stmt* stmt = nullptr;
            Require(sqlite3_prepare_v2(raw, ("SELECT * FROM " + QuoteName(table)).c_str(), -1,
                                       &stmt, nullptr),
                    raw, "read " + table);
            std::vector<std::uint64_t> rows;
            std::string row;
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                row.clear();
                for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                    row += static_cast<char>('0' + sqlite3_column_type(stmt, i));
                    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, i));
                    row.append(bytes != nullptr ? bytes : "",
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
                    row += '\x1f';
                }
                rows.push_back(Hash(WithoutTimes(row)));
            }
            sqlite3_finalize(stmt);
            std::sort(rows.begin(), rows.end());
            std::uint64_t sum = Hash(std::to_string(rows.size()));
            for (const std::uint64_t r : rows) {
                sum = Hash(std::string_view(reinterpret_cast<const char*>(&r), sizeof r), sum);
            }
            print[file.lexically_relative(root).string() + ": " + table] =
                std::to_string(rows.size()) + " rows " + std::to_string(sum);
        }
    }
    return print;
}

std::string Fingerprint(const fs::path& root) {
    const std::vector<fs::path> files = StoreFiles(root);
    std::string print;
    for (const fs::path& file : files) {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        std::unique_ptr<sqlite3, Closer> db(raw);
        Require(rc, raw, "open " + file.string());
        print += file.lexically_relative(root).string() + ":";
        for (const std::string& table :
             Column(raw, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
            const std::vector<std::string> count =
                Column(raw, "SELECT count(*) FROM " + QuoteName(table));
            print += " " + table + " " + (count.empty() ? "?" : count.front()) + ";";
        }
        print += "\n";
    }
    return print;
}

}  // namespace bench
