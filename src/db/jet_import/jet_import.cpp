#include "db/jet_import/jet_import.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "db/embedded/embedded.h"
#include "db/embedded/error_map.h"
#include "db/embedded/sqlite_handle.h"
#include "db/error.h"
#include "db/jet_import/jet_reader.h"

namespace db::jet {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kStatementTimeoutSeconds = 600;
constexpr std::int64_t kProgressEvery = 1000;
constexpr std::int64_t kTicksPerUnit = 10000;

std::string JetName(const std::string& name) {
    return "[" + name + "]";
}

std::string SqliteName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

std::string KeyList(const Index& index, bool withOrder) {
    std::string out;
    for (const IndexKey& key : index.keys) {
        if (!out.empty()) out += ", ";
        out += JetName(key.column);
        if (withOrder && key.descending) out += " DESC";
    }
    return out;
}

std::string CreateTableSql(const Table& table) {
    std::string sql = "CREATE TABLE " + JetName(table.name) + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& c = table.columns[i];
        if (i > 0) sql += ", ";
        sql += JetName(c.name) + " " + c.jetType;
        if (c.required) sql += " NOT NULL";
    }
    if (!table.indexes.empty() && table.indexes.front().primary) {
        const Index& key = table.indexes.front();
        sql += ", CONSTRAINT " + JetName(key.name) + " PRIMARY KEY (" + KeyList(key, false) + ")";
    }
    return sql + ")";
}

std::string CreateIndexSql(const Table& table, const Index& index) {
    return std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
           JetName(index.name) + " ON " + JetName(table.name) + " (" + KeyList(index, true) + ")";
}

// FNV-1a over a row's values; a table's checksum is the sum of its rows', so that it does not
// depend on the order in which either side hands the rows out.
class RowHash {
  public:
    void Add(const Value& v) {
        Byte(static_cast<unsigned char>(v.tag));
        switch (v.tag) {
            case ValueTag::Null:
                break;
            case ValueTag::Integer:
            case ValueTag::Money:
                Word(static_cast<std::uint64_t>(v.integer));
                break;
            case ValueTag::Real: {
                const double d = v.real == 0 ? 0.0 : v.real;  // -0 is stored as 0
                std::uint64_t bits;
                std::memcpy(&bits, &d, 8);
                Word(bits);
                break;
            }
            case ValueTag::Date:
            case ValueTag::Text:
            case ValueTag::Binary:
                Word(v.bytes.size());
                for (char c : v.bytes) Byte(static_cast<unsigned char>(c));
                break;
        }
    }
    std::uint64_t Value() const { return h_; }

  private:
    void Byte(unsigned char b) {
        h_ ^= b;
        h_ *= 0x100000001b3ull;
    }
    void Word(std::uint64_t w) {
        for (int i = 0; i < 8; ++i) Byte(static_cast<unsigned char>(w >> (8 * i)));
    }
    std::uint64_t h_ = 0xcbf29ce484222325ull;
};

std::uint64_t HashRow(const std::vector<Value>& row) {
    RowHash h;
    for (const Value& v : row) h.Add(v);
    return h.Value();
}

void Bind(sqlite3* db, sqlite3_stmt* stmt, int i, const Value& v) {
    int rc = SQLITE_OK;
    switch (v.tag) {
        case ValueTag::Null:
            rc = sqlite3_bind_null(stmt, i);
            break;
        case ValueTag::Integer:
            rc = sqlite3_bind_int64(stmt, i, v.integer);
            break;
        case ValueTag::Real:
            rc = sqlite3_bind_double(stmt, i, v.real);
            break;
        case ValueTag::Money:
            // As the engine keeps money: a whole amount as an integer, any other as its double
            // (which gives the four places back exactly up to 900 billion).
            if (v.integer % kTicksPerUnit == 0) {
                rc = sqlite3_bind_int64(stmt, i, v.integer / kTicksPerUnit);
            } else {
                rc = sqlite3_bind_double(stmt, i, static_cast<double>(v.integer) / kTicksPerUnit);
            }
            break;
        case ValueTag::Date:
        case ValueTag::Text:
            rc = sqlite3_bind_text(stmt, i, v.bytes.data(), static_cast<int>(v.bytes.size()),
                                   SQLITE_STATIC);
            break;
        case ValueTag::Binary:
            rc = sqlite3_bind_blob(stmt, i, v.bytes.data(), static_cast<int>(v.bytes.size()),
                                   SQLITE_STATIC);
            break;
    }
    if (rc != SQLITE_OK) throw embedded::LastError(db, rc);
}

// A stored value read back as the kind of its column says it was written.
Value ReadBack(sqlite3_stmt* stmt, int i, ColumnKind kind) {
    Value v;
    const int type = sqlite3_column_type(stmt, i);
    switch (type) {
        case SQLITE_NULL:
            return v;
        case SQLITE_INTEGER:
            v.integer = sqlite3_column_int64(stmt, i);
            if (kind == ColumnKind::Money) {
                v.tag = ValueTag::Money;
                v.integer *= kTicksPerUnit;
            } else if (kind == ColumnKind::Real || kind == ColumnKind::Decimal) {
                v.tag = ValueTag::Real;
                v.real = static_cast<double>(v.integer);
            } else {
                v.tag = ValueTag::Integer;
            }
            return v;
        case SQLITE_FLOAT:
            v.real = sqlite3_column_double(stmt, i);
            if (kind == ColumnKind::Money) {
                v.tag = ValueTag::Money;
                v.integer = std::llround(v.real * kTicksPerUnit);
            } else {
                v.tag = ValueTag::Real;
            }
            return v;
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
            v.tag = ValueTag::Binary;
            v.bytes.assign(p == nullptr ? "" : p, sqlite3_column_bytes(stmt, i));
            return v;
        }
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            v.tag = kind == ColumnKind::Date ? ValueTag::Date : ValueTag::Text;
            v.bytes.assign(p == nullptr ? "" : p, sqlite3_column_bytes(stmt, i));
            return v;
        }
    }
}

std::string ColumnList(const Table& table) {
    std::string out;
    for (const Column& c : table.columns) {
        if (!out.empty()) out += ", ";
        out += SqliteName(c.name);
    }
    return out;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

embedded::DatabaseHandle OpenRaw(const fs::path& file) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    embedded::DatabaseHandle db = embedded::AdoptDatabase(raw);
    if (rc != SQLITE_OK) throw embedded::LastError(raw, rc);
    sqlite3_extended_result_codes(raw, 1);
    // The file is a temporary one until it is verified and flushed (FlushToDisk): a crash
    // halfway leaves nothing under the target's name, so the copy need not wait for the disk.
    embedded::ExecPlain(raw, "PRAGMA synchronous=OFF");
    return db;
}

void MakeTables(const JetReader& reader, const fs::path& target) {
    embedded::OpenOptions options;
    options.dialect = Dialect::Jet;
    options.create = true;
    std::unique_ptr<Session> session = embedded::Open(target, options);
    session->BeginTransaction(kStatementTimeoutSeconds);
    for (const Table& table : reader.Tables()) {
        session->Execute(CreateTableSql(table), kStatementTimeoutSeconds);
        for (const Index& index : table.indexes) {
            if (index.primary) continue;
            session->Execute(CreateIndexSql(table, index), kStatementTimeoutSeconds);
        }
    }
    session->CommitTransaction();
}

void CopyRows(JetReader& reader, sqlite3* db, const ImportProgress& progress, std::int64_t& rows) {
    embedded::ExecPlain(db, "BEGIN IMMEDIATE");
    try {
        for (std::size_t t = 0; t < reader.Tables().size(); ++t) {
            const Table& table = reader.Tables()[t];
            std::string marks;
            for (std::size_t i = 0; i < table.columns.size(); ++i) marks += i ? ", ?" : "?";
            embedded::StatementHandle insert =
                embedded::Prepare(db, "INSERT INTO " + SqliteName(table.name) + " (" +
                                          ColumnList(table) + ") VALUES (" + marks + ")");
            std::int64_t done = 0;
            if (progress) progress(table.name, 0, table.rows);
            reader.ReadRows(t, [&](const std::vector<Value>& row) {
                for (std::size_t i = 0; i < row.size(); ++i) {
                    Bind(db, insert.get(), static_cast<int>(i) + 1, row[i]);
                }
                const int rc = sqlite3_step(insert.get());
                if (rc != SQLITE_DONE) throw embedded::LastError(db, rc);
                sqlite3_reset(insert.get());
                ++done;
                if (progress && done % kProgressEvery == 0) progress(table.name, done, table.rows);
            });
            if (progress) progress(table.name, done, std::max(done, table.rows));
            rows += done;
        }
        embedded::ExecPlain(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<TableCheck> Verify(JetReader& reader, sqlite3* db) {
    std::vector<TableCheck> checks;
    for (std::size_t t = 0; t < reader.Tables().size(); ++t) {
        const Table& table = reader.Tables()[t];
        TableCheck check;
        check.name = table.name;
        reader.ReadRows(t, [&](const std::vector<Value>& row) {
            ++check.sourceRows;
            check.sourceSum += HashRow(row);
        });
        embedded::StatementHandle select = embedded::Prepare(
            db, "SELECT " + ColumnList(table) + " FROM " + SqliteName(table.name));
        std::vector<Value> row(table.columns.size());
        int rc;
        while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                row[i] = ReadBack(select.get(), static_cast<int>(i), table.columns[i].kind);
            }
            ++check.targetRows;
            check.targetSum += HashRow(row);
        }
        if (rc != SQLITE_DONE) throw embedded::LastError(db, rc);
        checks.push_back(std::move(check));
    }
    return checks;
}

// The verified store reaches the disk before it can be renamed into the target's place.
void FlushToDisk(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void RemoveDatabase(const fs::path& file) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        fs::remove(fs::path(file.string() + suffix), ec);
    }
}

}  // namespace

bool ImportResult::Verified() const {
    for (const TableCheck& t : tables) {
        if (!t.Same()) return false;
    }
    return true;
}

std::string ChecksumText(std::uint64_t sum) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(sum));
    return text;
}

std::vector<TableCheck> VerifyImport(const fs::path& source, const fs::path& store) {
    JetReader reader(source);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(store.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    embedded::DatabaseHandle db = embedded::AdoptDatabase(raw);
    if (rc != SQLITE_OK) throw embedded::LastError(raw, rc);
    return Verify(reader, db.get());
}

ImportResult ImportJetFile(const fs::path& source, const fs::path& target,
                           const ImportProgress& progress) {
    std::error_code ec;
    if (fs::exists(target, ec)) {
        throw DbError(ErrorNumber::kUnspecified,
                      "'" + target.string() + "' exists already; nothing was imported",
                      "datapatch import-jet");
    }
    ImportResult result;
    try {
        const Clock::time_point start = Clock::now();
        JetReader reader(source);
        result.kind = reader.Kind();
        result.codePage = reader.CodePage();
        MakeTables(reader, target);
        embedded::DatabaseHandle db = OpenRaw(target);
        CopyRows(reader, db.get(), progress, result.rows);
        result.copySeconds = SecondsSince(start);
        const Clock::time_point verifyStart = Clock::now();
        result.tables = Verify(reader, db.get());
        db.reset();
        FlushToDisk(target);
        result.verifySeconds = SecondsSince(verifyStart);
    } catch (...) {
        RemoveDatabase(target);
        throw;
    }
    return result;
}

}  // namespace db::jet
