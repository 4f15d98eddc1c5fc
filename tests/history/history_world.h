#pragma once
// A small world for the patch history's tests: a Host on a fresh root, a scripted Desktop, the
// process values (Runtime), and real embedded databases holding PATCH_HIST as the store software
// has it: an MDB store, a SQL Server store and the "데이터1" database on the same server. The
// connections are opened through Kro_Ado, as the program opens them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/embedded/session_helpers.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "fixtures/store_database.h"
#include "fixtures/world.h"
#include "history/cls_patch_hist.h"
#include "host/regional.h"

namespace history_test {

inline constexpr const char* kStoreMdb = "C:\\Quillon\\Data\\DatMain.mdb";
inline constexpr const char* kVersionText = "하로나 DataPatchProgram Ver40.4.4";

inline const std::string kMdbHistTable =
    "CREATE TABLE PATCH_HIST (날짜 TEXT(8), 번호 INT, NV_Ver TEXT(20), NV_ETC TEXT(100), "
    "NV_GUBUN INT, NV_Date DATETIME)";
inline const std::string kServerHistTable =
    "CREATE TABLE PATCH_HIST (날짜 NVARCHAR(8), 번호 INT, NV_Ver NVARCHAR(20), "
    "NV_ETC NVARCHAR(100), NV_GUBUN INT, NV_Date DATETIME)";

using fixtures::StoreKind;

inline std::string KindName(const ::testing::TestParamInfo<StoreKind>& info) {
    return info.param == StoreKind::Mdb ? "Mdb" : "SqlServer";
}

class HistoryWorld : public ::testing::Test, public fixtures::RuntimeRoot {
  protected:
    HistoryWorld() {
        fixtures::CreateServerStore(host_, StoreServer(), {kServerHistTable});
        fixtures::CreateServerStore(host_, Data1Server(), {kServerHistTable});
        fixtures::CreateMdbStore(host_, kStoreMdb, {kMdbHistTable});
        host_.Regional().SetShortDateFormat("yyyy-MM-dd");
        host_.Regional().SetTimeFormat("HH:mm:ss");
        MakeRuntime().VersionText = kVersionText;
    }

    static fixtures::ServerStore StoreServer() { return fixtures::ServerStore{}; }
    static fixtures::ServerStore Data1Server() {
        fixtures::ServerStore data1;
        data1.database = "DATA1";
        return data1;
    }

    // Opens StoreConnection on the store of that kind and configures the kind to match.
    void ConnectStore(StoreKind kind) { fixtures::InstallStore(Rt(), Target(kind, StoreServer())); }
    void ConnectData1() {
        fixtures::OpenThroughAdo(Rt(), Rt().Data1Connection,
                                 Target(StoreKind::SqlServer, Data1Server()));
    }

    // The rows of PATCH_HIST on a connection, by 날짜 and 번호: "날짜|번호|NV_Ver|NV_ETC|NV_GUBUN|"
    // and "dated" when NV_Date is set.
    std::vector<std::string> Rows(const db::ConnectionRef& cn) {
        db::RecordSet rs;
        rs.Open("SELECT * FROM PATCH_HIST ORDER BY 날짜, 번호", *cn);
        std::vector<std::string> rows;
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string row;
            for (const char* f : {"날짜", "번호", "NV_Ver", "NV_ETC", "NV_GUBUN"}) {
                row += rs[f].AsText() + "|";
            }
            rows.push_back(row + (rs["NV_Date"].IsNull() ? "" : "dated"));
        }
        return rows;
    }
    std::vector<std::string> StoreRows() { return Rows(Rt().StoreConnection); }

    // NV_Date as the database file keeps it, read past the engine: how the statement wrote it.
    std::vector<std::string> StoredDates(const std::filesystem::path& file) {
        return db::embedded::testing::PlainRows(
            file, "SELECT NV_Date FROM PATCH_HIST WHERE NV_Date IS NOT NULL");
    }
    std::filesystem::path MdbFile() const { return *host_.Native(kStoreMdb); }
    std::filesystem::path ServerFile(const fixtures::ServerStore& store) const {
        return fixtures::ServerStoreFile(host_, store);
    }

  private:
    static fixtures::StoreTarget Target(StoreKind kind, const fixtures::ServerStore& server) {
        fixtures::StoreTarget target;
        target.kind = kind;
        target.mdbPath = kStoreMdb;
        target.server = server;
        return target;
    }
};

}  // namespace history_test
