#pragma once
// NorvConn: the store software's configuration object. It carries the 334 typed items (see
// norv_conn_items.h; by name at run time through config/item_catalog.h) and the loading and saving
// operations that fill them from the INI files and the store database's configuration tables.
//
// The object belongs to the process (Runtime::Config). A load remembers what later operations
// use: the INI paths, the object it filled, the shared connection, the configuration table name
// and the item table of 351 slots filled by 환경코드.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "config/norv_conn_items.h"
#include "db/connection.h"
#include "util/variant.h"

namespace db {
class Kro_Ado;
}

namespace config {

class Runtime;

enum class ItemKind : std::uint8_t { Text, Int32, Byte, Boolean };

template <ItemKind K>
struct ItemTypeOf;
template <>
struct ItemTypeOf<ItemKind::Text> {
    using type = std::string;
};
template <>
struct ItemTypeOf<ItemKind::Int32> {
    using type = std::int32_t;
};
template <>
struct ItemTypeOf<ItemKind::Byte> {
    using type = std::uint8_t;
};
template <>
struct ItemTypeOf<ItemKind::Boolean> {
    using type = bool;
};
template <ItemKind K>
using ItemType = typename ItemTypeOf<K>::type;

// The typed items, each at its zero value (empty text, 0, false) until a load fills it.
struct NorvConnItems {
#define DATAPATCH_DECLARE_ITEM(name, kind) ItemType<ItemKind::kind> name{};
    DATAPATCH_NORVCONN_ITEMS(DATAPATCH_DECLARE_ITEM)
#undef DATAPATCH_DECLARE_ITEM
};

// Slots of the item table: 환경코드 0 to 350.
inline constexpr int kSlotCount = 351;

class NorvConn : public NorvConnItems {
  public:
    explicit NorvConn(Runtime& runtime);
    ~NorvConn();
    NorvConn(const NorvConn&) = delete;
    NorvConn& operator=(const NorvConn&) = delete;

    // --- loading ---------------------------------------------------------------------------
    // Reads the INI files into `config` (defaults applied), then, unless NoCon, opens the store
    // database when `cn` has no connection string and reads this PC's configuration table.
    // False when the database cannot be reached (quietly) or the table cannot be read (after
    // the box "환경설정을 불러올 수 없습니다"). Never throws.
    bool ActionConFigLoad_Basic(NorvConn& config, db::ConnectionRef& cn, bool NoCon = false,
                                db::Kro_Ado* Bin_KroAdo = nullptr);
    // Reads the administrator group of the shared table CONFIG into the three 관리자 items,
    // opening the "데이터1" database (rt.AdminConnection, then handed to `cn`) when `cn` has no
    // connection string. False when that database cannot be reached (after the connection's
    // message) or the rows cannot be read (after the box "환경설정을 불러올 수 없습니다").
    // Never throws.
    bool ActionConFigLoad_Admin(NorvConn& config, db::ConnectionRef& cn,
                                db::Kro_Ado* Bin_KroAdo = nullptr);
    // Finds (or allocates and builds) this PC's configuration table; its name goes to nTable.
    // With NewConfig, missing configuration tables are created first. Never throws.
    bool ActionGetTable(std::string& nTable, bool NewConfig = false);

    // --- saving ----------------------------------------------------------------------------
    // Writes the INI-held items that changed since the load read them (or this saving last wrote
    // them) back, and mirrors the connection items into the table.
    bool ActionSave_Basic();
    bool ActionSave_StandardConfig();
    // Copies the store software's local files from the system folder; errors reach the caller.
    void ProcMoveIni();

    // --- what the loads keep ---------------------------------------------------------------
    Runtime& Process() const { return runtime_; }
    // "C:\Quillon\NVConfig.INI" and <system folder>\zentrix_s_sys.ini, set by the basic load.
    const std::string& MainIniPath() const { return mainIni_; }
    const std::string& PrinterIniPath() const { return printerIni_; }
    // The object the last load filled (its `config` argument); this object before any load.
    NorvConn& ConfigObject() { return *config_; }
    // The connection configuration reads and writes go to; empty before a table load.
    db::ConnectionRef& SharedConnection() { return shared_; }
    // CONFIG or CONFIG + PC code, once ActionGetTable has found it; empty before.
    const std::string& ConfigTableName() const { return tableName_; }
    // Why the last load of the configuration table failed (the engine's or the row's fault);
    // empty when it did not fail or no reason is known.
    const std::string& LoadError() const { return loadError_; }
    void SetConfigTableName(std::string name) { tableName_ = std::move(name); }
    // The item table as loaded; Empty for a slot never filled and for numbers outside 0-350.
    const util::Variant& Slot(int slot) const;
    // 데이터_종류 as the last basic load left it (the connection set-up restores it from here).
    std::uint8_t LoadedDataKind() const { return loadedDataKind_; }
    // This PC's code from the table 피씨명, read by the last table load.
    const std::string& PcCode() const { return pcCode_; }

  private:
    // The INI half of the basic load, defaults included.
    void ReadIniFiles(NorvConn& config);
    // The configuration table half of the basic load, with its error handling.
    bool LoadConfigTable(NorvConn& config, db::ConnectionRef& cn);
    // Steps after the connection: table, saving, rows, items, PC code; throws db::DbError.
    void ReadConfigTable(NorvConn& config);
    // The same for a look-only process: nothing is saved or built; throws db::DbError.
    void ReadConfigTableOnly(NorvConn& config);
    // Fills the item table from the rows of the query (slot = 환경코드); throws db::DbError.
    void ReadSlots(const std::string& sql, db::ConnectionRef& cn);
    // The error handler of both loads: false, after the failure box unless quiet; keeps the
    // error's description for LoadError.
    bool LoadFailed(std::int32_t number, std::string description = {});
    // This PC's table: by the code of the main INI, or a new code allocated, registered in
    // CONFIGPC and written back; checked readable. Throws db::DbError.
    std::string FindConfigTable();
    // The same table for a look-only load, found without writing: this PC's registered table,
    // else the shared table CONFIG that a new PC's table starts as; empty when the database has
    // no configuration table yet. Throws db::DbError.
    std::string ExistingConfigTable();
    // Builds the workstation table when it is missing; throws db::DbError 4000 when it fails.
    void EnsureWorkstationTable(const std::string& table);
    bool TableExists(const std::string& table);
    // The shared connection; throws db::DbError 91 when there is none.
    db::Connection& Shared();

    Runtime& runtime_;
    std::string mainIni_;
    std::string printerIni_;
    NorvConn* config_ = this;
    db::ConnectionRef shared_;
    std::string tableName_;
    std::string loadError_;
    std::array<util::Variant, kSlotCount> slots_{};
    std::uint8_t loadedDataKind_ = 0;
    std::string pcCode_;
    // The INI-held items (by name, as ItemText) as the basic load read them or the saving last
    // wrote them, for the keys the files hold: the saving writes only items that differ, so a
    // value the read cut to its buffer stays whole in the file.
    std::map<std::string, std::string, std::less<>> iniStored_;
};

}  // namespace config
