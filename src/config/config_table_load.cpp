// NorvConn: reading the configuration tables into the item table and the typed items.
#include <cmath>
#include <span>
#include <vector>

#include "config/config_errors.h"
#include "config/connection_setup.h"
#include "config/item_catalog.h"
#include "config/norv_conn.h"
#include "config/runtime.h"
#include "config/slot_map.h"
#include "db/ascii_text.h"
#include "db/error.h"
#include "db/recordset.h"
#include "host/desktop.h"
#include "util/kro_function.h"
#include "util/sql_text.h"
#include "util/vb_text.h"

namespace config {
namespace {

// An error 91 with the connection still there is a passing state of the connection object; the
// table load starts again at most this often before it gives up.
constexpr int kMaxRestarts = 3;

bool HasConnectionString(const db::ConnectionRef& cn) {
    return cn && !cn->ConnectionString.empty();
}

// The slot a row belongs to: the integer part of its 환경코드.
std::size_t SlotOf(const util::Variant& code) {
    double number = 0;
    bool numeric = false;
    if (code.IsText()) {
        numeric = util::ParseNumber(code.AsText(), number);
    } else if (code.IsNumeric()) {
        number = code.AsDouble();
        numeric = true;
    }
    if (!numeric) {
        throw db::DbError(ConfigError::kTypeMismatch,
                          "환경코드 '" + code.AsText() + "' is not a number");
    }
    const double slot = std::trunc(number);
    if (slot < 0 || slot >= kSlotCount) {
        throw db::DbError(ConfigError::kSubscriptOutOfRange,
                          "환경코드 " + code.AsText() + " is outside 0-350");
    }
    return static_cast<std::size_t>(slot);
}

// Tables that only the store software makes: the product table, the patch history, the PC
// names and the configuration tables.
constexpr const char* kStoreTables[] = {"사용상품", "PATCH_HIST", "피씨명", "CONFIG", "CONFIGPC"};

constexpr const char* kForeignDatabaseTitle = "데이터연결오류";

// A store database holds one of the store's tables, or no table at all (a new database, which
// the load builds the configuration tables into). Any other is some other program's.
bool IsStoreDatabase(db::Connection& cn) {
    const std::vector<db::TableInfo> tables = cn.Engine().SchemaInfo().Tables();
    if (tables.empty()) return true;
    for (const db::TableInfo& t : tables) {
        for (const char* name : kStoreTables) {
            if (db::EqualsNoCase(t.name, name)) return true;
        }
    }
    return false;
}

// The store database as the configuration names it: the MDB file, or the server's database.
std::string StoreDatabaseName(const NorvConn& config) {
    if (config.데이터_종류 == 0) return util::Trim(config.데이터_MDBPath);
    return util::Trim(config.데이터_SQLServer) + "\\" + util::Trim(config.데이터_SQLDataName);
}

std::string TextOrEmpty(const util::Variant& v) {
    return v.IsNull() ? "" : v.AsText();
}

// Copies the item table into the items of the bindings.
void CopySlots(NorvConn& config, std::span<const int> slotNumbers) {
    for (const int slot : slotNumbers) {
        if (const ItemInfo* item = ItemForSlot(slot)) item->set(config, config.Slot(slot));
    }
}

std::vector<int> AllSlots() {
    std::vector<int> all;
    for (const SlotBinding& b : SlotBindings()) all.push_back(b.slot);
    return all;
}

}  // namespace

// The writing load first saves the INI-held items into the table; no slot feeds those items, so
// the table read as it is gives the same configuration. A configuration that no table holds yet
// leaves the items at their INI values.
void NorvConn::ReadConfigTableOnly(NorvConn& config) {
    std::string table;
    try {
        table = ExistingConfigTable();
    } catch (const db::DbError& e) {
        // A table name that is no plain name is shown as the writing load shows it.
        if (e.Number() == db::ErrorNumber::kInvalidArgument) {
            runtime_.Desktop().Inform(e.Description(), "환경설정에러", host::MsgIcon::Critical);
            throw db::DbError(ConfigError::kTableNotResolved, "환경설정 테이블을 찾을 수 없습니다");
        }
        throw;
    }
    tableName_ = table;
    slots_.fill(util::Variant());
    if (table.empty()) return;
    ReadSlots("SELECT * FROM " + db::SqlName(table, "환경설정 테이블") + " WHERE 대그룹 <4",
              shared_);
    CopySlots(config, AllSlots());
}

void NorvConn::ReadSlots(const std::string& sql, db::ConnectionRef& cn) {
    if (!cn) throw db::DbError(ConfigError::kObjectNotSet, "Object variable not set");
    db::RecordSet rs;
    rs.Open(sql, *cn, db::CursorType::kForwardOnly, 1);
    for (; !rs.Eof(); rs.MoveNext()) {
        std::size_t slot = 0;
        try {
            slot = SlotOf(rs["환경코드"]);
        } catch (const db::DbError& e) {
            // The operator has to find the row to mend it (a table of an old layout may lack
            // the name).
            std::string name;
            try {
                name = TextOrEmpty(rs["신규명"]);
            } catch (const db::DbError&) {
            }
            throw db::DbError(
                e.Number(),
                e.Description() +
                    (name.empty() ? std::string() : " (the row whose 신규명 is '" + name + "')"));
        }
        const util::Variant& value = rs["적용"];
        if (rs["필드구분"].AsInt() == 2) {
            slots_[slot] = util::Variant(TextOrEmpty(value));
        } else {
            slots_[slot] = util::Variant(value.IsNull() ? 0.0 : util::Val(value.AsText()));
        }
    }
    rs.Close();
}

db::Connection& NorvConn::Shared() {
    if (!shared_) throw db::DbError(ConfigError::kObjectNotSet, "Object variable not set");
    return *shared_;
}

bool NorvConn::LoadFailed(std::int32_t number, std::string description) {
    loadError_ = std::move(description);
    if (number != ConfigError::kNoDataPath) {
        runtime_.Desktop().Inform("환경설정을 불러올 수 없습니다", "환경설정에러",
                                  host::MsgIcon::Critical);
    }
    return false;
}

void NorvConn::ReadConfigTable(NorvConn& config) {
    if (runtime_.ReadOnly()) {
        ReadConfigTableOnly(config);
    } else {
        std::string table;
        if (!ActionGetTable(table, runtime_.NewConfigFlag)) {
            throw db::DbError(ConfigError::kTableNotResolved, "환경설정 테이블을 찾을 수 없습니다");
        }
        tableName_ = table;
        if (util::Trim(table).empty()) {
            throw db::DbError(ConfigError::kBlankTableName, "환경설정 테이블 이름이 없습니다");
        }
        ActionSave_Basic();
        slots_.fill(util::Variant());
        ReadSlots("SELECT * FROM " + db::SqlName(table, "환경설정 테이블") + " WHERE 대그룹 <4",
                  shared_);
        CopySlots(config, AllSlots());
    }

    db::RecordSet rs;
    try {
        rs.Open("select * from 피씨명 where 피씨명=" +
                    util::SqlQuoted(runtime_.Utilities().SysComName()),
                Shared(), db::CursorType::kForwardOnly, 1);
    } catch (const db::DbError& e) {
        // A look at a database that the writing load has not built yet.
        if (!runtime_.ReadOnly() || e.Number() != db::ErrorNumber::kTableMissing) throw;
        pcCode_.clear();
        return;
    }
    pcCode_ = rs.Eof() ? "" : TextOrEmpty(rs["피씨코드"]);
    rs.Close();
}

bool NorvConn::LoadConfigTable(NorvConn& config, db::ConnectionRef& cn) {
    if (HasConnectionString(cn)) {
        shared_ = cn;
    } else {
        if (!ConnectStoreDatabase(runtime_, config)) return LoadFailed(ConfigError::kNoDataPath);
        shared_ = runtime_.StoreConnection;
    }
    // Nothing is written into a database that is not the store's: the configuration tables would
    // be the first thing the load adds to it. (A table list that cannot be read is left to the
    // load, which meets the same fault.)
    bool foreign = false;
    try {
        foreign = shared_ && !IsStoreDatabase(*shared_);
    } catch (const db::DbError&) {
    }
    if (foreign) {
        runtime_.Desktop().Inform(
            "매장 데이터가 아닌 데이터베이스입니다. 다른 프로그램의 데이터일 "
            "수 있어 아무것도 쓰지 않았습니다.\r\n(" +
                StoreDatabaseName(config) + ")",
            kForeignDatabaseTitle, host::MsgIcon::Critical);
        return LoadFailed(ConfigError::kNoDataPath);
    }
    for (int restarts = 0;; ++restarts) {
        try {
            ReadConfigTable(config);
            return true;
        } catch (const db::DbError& e) {
            if (e.Number() == ConfigError::kObjectNotSet && HasConnectionString(shared_) &&
                restarts < kMaxRestarts) {
                continue;
            }
            return LoadFailed(e.Number(), e.Description());
        } catch (const std::exception& e) {
            return LoadFailed(0, e.what());
        }
    }
}

bool NorvConn::ActionConFigLoad_Admin(NorvConn& config, db::ConnectionRef& cn,
                                      [[maybe_unused]] db::Kro_Ado* Bin_KroAdo) {
    config_ = &config;
    try {
        if (!HasConnectionString(cn)) {
            if (!ConnectAdminDatabase(runtime_, config)) {
                throw db::DbError(ConfigError::kNoDataPath, "데이터경로 이상");
            }
            cn = runtime_.AdminConnection;
        }
        ReadSlots("SELECT * FROM CONFIG WHERE DEL_CHK=0 and 대그룹=3", cn);
        CopySlots(config, AdminSlots());
        return true;
    } catch (const db::DbError& e) {
        return LoadFailed(e.Number(), e.Description());
    } catch (const std::exception& e) {
        return LoadFailed(0, e.what());
    }
}

}  // namespace config
