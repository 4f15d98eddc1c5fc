// FN_SPLIT_nth as a table-valued function of SQLite (an eponymous virtual table registered on
// the connection, never stored in the file): FROM FN_SPLIT_nth('a#b#$') gives the rows Seq,
// PValue1 … PValue100 of the splitter (routine_split.h).
#include <string>
#include <vector>

#include "db/embedded/error_map.h"
#include "db/embedded/function_support.h"
#include "db/embedded/routine_natives.h"
#include "db/embedded/routine_split.h"

namespace db::embedded {
namespace {

constexpr int kSeqColumn = 0;
constexpr int kParameterColumn = static_cast<int>(kSplitFields) + 1;  // hidden: the argument

std::string TableDeclaration() {
    std::string sql = "CREATE TABLE x(Seq INT";
    for (std::size_t i = 1; i <= kSplitFields; ++i) {
        sql +=
            ", PValue" + std::to_string(i) + " VARCHAR(" + std::to_string(kSplitFieldLength) + ")";
    }
    return sql + ", ParamData HIDDEN)";
}

struct SplitTable : sqlite3_vtab {};

struct SplitCursor : sqlite3_vtab_cursor {
    std::vector<SplitRecord> rows;
    std::size_t at = 0;
    std::string parameter;
};

int Connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
    const int rc = sqlite3_declare_vtab(db, TableDeclaration().c_str());
    if (rc != SQLITE_OK) return rc;
    sqlite3_vtab_config(db, SQLITE_VTAB_INNOCUOUS);
    *out = new (std::nothrow) SplitTable{};
    return *out == nullptr ? SQLITE_NOMEM : SQLITE_OK;
}

int Disconnect(sqlite3_vtab* table) {
    delete static_cast<SplitTable*>(table);
    return SQLITE_OK;
}

// The argument is an equality constraint on the hidden column; a plan that cannot supply it is
// refused, a call without argument gives no rows.
int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int argument = -1;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn != kParameterColumn || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
        if (!c.usable) return SQLITE_CONSTRAINT;
        argument = i;
    }
    if (argument < 0) {
        info->idxNum = 0;
        info->estimatedCost = 1e9;
        return SQLITE_OK;
    }
    info->aConstraintUsage[argument].argvIndex = 1;
    info->aConstraintUsage[argument].omit = 1;
    info->idxNum = 1;
    info->estimatedCost = 10;
    info->estimatedRows = 10;
    return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    *out = new (std::nothrow) SplitCursor{};
    return *out == nullptr ? SQLITE_NOMEM : SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
    delete static_cast<SplitCursor*>(cursor);
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int idxNum, const char*, int, sqlite3_value** argv) {
    auto* cursor = static_cast<SplitCursor*>(base);
    cursor->at = 0;
    cursor->rows.clear();
    cursor->parameter.clear();
    if (idxNum == 0 || IsNullArgument(argv[0])) return SQLITE_OK;
    try {
        cursor->parameter = std::string(TextArgument(argv[0]));
        cursor->rows = SplitParameterText(cursor->parameter);
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* base) {
    ++static_cast<SplitCursor*>(base)->at;
    return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* base) {
    const auto* cursor = static_cast<SplitCursor*>(base);
    return cursor->at >= cursor->rows.size();
}

int Column(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int column) {
    const auto* cursor = static_cast<SplitCursor*>(base);
    if (column == kSeqColumn) {
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(cursor->at + 1));
        return SQLITE_OK;
    }
    const std::string& text = column == kParameterColumn
                                  ? cursor->parameter
                                  : cursor->rows[cursor->at][static_cast<std::size_t>(column - 1)];
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
    *rowid = static_cast<sqlite3_int64>(static_cast<SplitCursor*>(base)->at + 1);
    return SQLITE_OK;
}

constexpr sqlite3_module kSplitModule{
    .iVersion = 0,
    .xCreate = nullptr,  // eponymous only: the module is never stored in a schema
    .xConnect = Connect,
    .xBestIndex = BestIndex,
    .xDisconnect = Disconnect,
    .xDestroy = Disconnect,
    .xOpen = Open,
    .xClose = Close,
    .xFilter = Filter,
    .xNext = Next,
    .xEof = Eof,
    .xColumn = Column,
    .xRowid = Rowid,
    .xUpdate = nullptr,
    .xBegin = nullptr,
    .xSync = nullptr,
    .xCommit = nullptr,
    .xRollback = nullptr,
    .xFindFunction = nullptr,
    .xRename = nullptr,
    .xSavepoint = nullptr,
    .xRelease = nullptr,
    .xRollbackTo = nullptr,
    .xShadowName = nullptr,
};

}  // namespace

void RegisterSplitFunction(sqlite3* db) {
    const int rc = sqlite3_create_module_v2(db, "FN_SPLIT_nth", &kSplitModule, nullptr, nullptr);
    if (rc != SQLITE_OK) throw LastError(db, rc);
}

}  // namespace db::embedded
