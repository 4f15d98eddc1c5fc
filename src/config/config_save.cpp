// NorvConn's saving operations and the routines of the same family.
#include "config/config_save.h"

#include <initializer_list>
#include <span>
#include <vector>

#include "config/ini_items.h"
#include "config/item_catalog.h"
#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/ascii_text.h"
#include "db/error.h"
#include "util/ini_module.h"
#include "util/kro_function.h"
#include "util/sql_text.h"

namespace config {
namespace {

constexpr const char* kProductFolder = "C:\\Quillon";
constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kFileAccess = 75;

// An item mirrored into the configuration table's row whose 신규명 is the item name.
struct MirroredItem {
    const char* item;
    bool quoted;  // the value between apostrophes; otherwise as a bare number
};

constexpr MirroredItem kConnectionItems[] = {
    {"데이터_종류", false},       {"데이터_MDBPath", true},    {"데이터_네트웍사용여부", false},
    {"데이터_네트웍계정", true},  {"데이터_네트웍Pass", true}, {"데이터_SQLServer", true},
    {"데이터_SQLDataName", true}, {"데이터_SQLID", true},      {"데이터_SQLPass", true},
    {"데이터_SQLConMode", true},  {"데이터_BackUpPath", true},
};

constexpr MirroredItem kStandardItems[] = {
    {"표준DB사용여부", false}, {"표준DB서버명", true}, {"표준DB데이터명", true},
    {"표준DBID", true},        {"표준DBPW", true},     {"체인구분", false},
};

constexpr MirroredItem kData1Items[] = {
    {"데이터_SQLServer_S", true}, {"데이터_SQLDataName_S", true}, {"데이터_SQLID_S", true},
    {"데이터_SQLPass_S", true},   {"데이터_SQLConMode_S", false},
};

// Tables that begin with "CONFIG" without being configuration tables.
constexpr const char* kNotConfigTables[] = {"CONFIGPC", "CONFIG_SYS"};

// The local files, as step 2 and 3 of the relocation copy them when the system folder has them.
constexpr const char* kOptionalFiles[] = {"\\QLPRIM.INI", "\\tallymain.mdb", "\\seatclient.mdb",
                                          "\\QL6SYS.INI"};

// "UPDATE t SET 적용 =<value> WHERE 신규명 = '<item>'", one statement per item, in order.
// Throws db::DbError at the first that fails.
void Mirror(db::Connection& cn, const std::string& table, const NorvConnItems& items,
            std::span<const MirroredItem> mirrored) {
    for (const MirroredItem& m : mirrored) {
        const ItemInfo* info = FindItem(m.item);
        const util::Variant value = info->get(items);
        const std::string literal =
            m.quoted ? util::SqlQuoted(ItemText(items, *info)) : util::SqlNumber(value, "0");
        cn.Execute("UPDATE " + db::SqlName(table, "환경설정 테이블") + " SET 적용 =" + literal +
                   " WHERE 신규명 = " + util::SqlQuoted(m.item));
    }
}

// The items of conn's configuration object into the table through the shared connection; false
// at the first statement that fails, and without table or connection.
bool MirrorInto(NorvConn& conn, const std::string& table,
                std::initializer_list<std::span<const MirroredItem>> lists) {
    if (table.empty() || !conn.SharedConnection()) return false;
    try {
        // The connection may wait without limit: while another program holds the database's
        // write lock, the mirror (a copy of what the INI files hold) is left for another time
        // instead of holding start-up up.
        const int wait = conn.Process().MirrorWaitSeconds;
        if (const db::WriteAccess access = conn.SharedConnection()->ProbeWriteAccess(wait);
            access != db::WriteAccess::Available) {
            conn.Process().Host().Note(
                "the INI settings were not copied into the configuration table " + table + ": " +
                (access == db::WriteAccess::Busy
                     ? "another program held the database's write lock for " +
                           std::to_string(wait) + " s"
                     : std::string("the database cannot be written")) +
                "; the next start copies them");
            return false;
        }
        for (auto list : lists) {
            Mirror(*conn.SharedConnection(), table, conn.ConfigObject(), list);
        }
        return true;
    } catch (const db::DbError&) {
        return false;
    }
}

bool IsConfigTable(const std::string& name) {
    if (!db::StartsWithNoCase(name, "CONFIG")) return false;
    for (const char* other : kNotConfigTables) {
        if (db::EqualsNoCase(name, other)) return false;
    }
    return true;
}

void CopyOrRaise(util::Kro_Function& fn, const std::string& from, const std::string& to) {
    if (fn.FileCopy(from, to, true)) return;
    if (!fn.FileExist(from)) {
        throw db::DbError(kFileNotFound, "파일을 찾을 수 없습니다. (" + from + ")");
    }
    throw db::DbError(kFileAccess, "경로/파일 액세스 오류입니다. (" + to + ")");
}

}  // namespace

bool NorvConn::ActionSave_Basic() {
    if (ConfigTableName().empty()) {
        std::string table;
        if (ActionGetTable(table)) SetConfigTableName(table);
    }
    bool written = true;
    NorvConn& items = ConfigObject();
    for (const IniItem& row : IniItems()) {
        const std::string& file = row.file == IniFile::Main ? MainIniPath() : PrinterIniPath();
        const std::string text = ItemText(items, *FindItem(row.item));
        // An item as it was read stays as the file holds it: the read may have cut it.
        const auto stored = items.iniStored_.find(row.item);
        if (stored != items.iniStored_.end() && stored->second == text) continue;
        if (util::IniWriteValue(runtime_.Host(), row.section, row.key, util::Variant(text), file)) {
            items.iniStored_.insert_or_assign(std::string(row.item), text);
        } else {
            written = false;
        }
    }
    if (ConfigTableName().empty()) return false;
    return MirrorInto(*this, ConfigTableName(), {kConnectionItems}) && written;
}

bool NorvConn::ActionSave_StandardConfig() {
    return MirrorInto(*this, ConfigTableName(), {kStandardItems});
}

void NorvConn::ProcMoveIni() {
    CopyLocalFilesToProductFolder(runtime_.Utilities());
}

bool ActionSave_AllConfigTables(NorvConn& conn) {
    if (!conn.SharedConnection()) return false;
    std::vector<db::TableInfo> tables;
    try {
        tables = conn.SharedConnection()->Engine().SchemaInfo().Tables();
    } catch (const db::DbError&) {
        return false;
    }
    for (const db::TableInfo& t : tables) {
        // A table whose name is no plain name is no configuration table of this program.
        if (!IsConfigTable(t.name) || !util::IsPlainSqlName(t.name)) continue;
        if (!MirrorInto(conn, t.name, {kData1Items, kStandardItems})) return false;
    }
    return true;
}

void CopyLocalFilesToProductFolder(util::Kro_Function& fn) {
    const std::string product = kProductFolder;
    const std::string system = fn.SysDir();
    if (!fn.FileExist(product + "\\NVConfig.INI")) {
        fn.DirMake_Auto(product);
        CopyOrRaise(fn, system + "\\NVConfig.INI", product + "\\NVConfig.INI");
    }
    for (const char* name : kOptionalFiles) {
        if (fn.FileExist(system + name) && !fn.FileExist(product + name)) {
            CopyOrRaise(fn, system + name, product + name);
        }
    }
}

}  // namespace config
