#pragma once
// A small world for the database layer's tests: a Host on a fresh root, a login file that maps
// the server "STORE-PC" to an embedded SQL Server folder, real embedded databases made on demand,
// a scripted Desktop, the dialog models and the shared connection record.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/current_db_info.h"
#include "db/embedded/embedded.h"
#include "db/kro_ado.h"
#include "db/login_resolver.h"
#include "db/router.h"
#include "fixtures/db_world.h"
#include "fixtures/host_root.h"
#include "host/desktop.h"
#include "host/profile.h"
#include "util/dialogs.h"

namespace db_test {

using fixtures::kServer;
using fixtures::kServerFolder;
inline constexpr const char* kServerAddress = "127.0.0.1";
inline constexpr const char* kServerPassword = "store#pw";
inline constexpr const char* kMdbPath = fixtures::kStoreMdbFile;
inline constexpr const char* kMdbPassword = "jetpw";

inline std::string DefaultLoginText() {
    return fixtures::EmbeddedLoginText(kServer, kServerPassword, kServerFolder) +
           "[Central]\r\nServer=CENTRAL\r\nDatabase=NVCENTRAL\r\n";
}

// The error number the action throws, 0 when it does not throw.
inline int NumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::DbError& e) {
        return e.Number();
    }
    return 0;
}

class AdoWorld : public ::testing::Test, public fixtures::HostRoot {
  protected:
    explicit AdoWorld(const std::string& loginText = DefaultLoginText())
        : logins_(std::make_shared<db::LoginResolver>(
              host::ProfileDocument::Parse(std::string_view(loginText)))),
          router_(std::make_shared<db::Router>(host_, logins_)),
          dialogs_(desktop_),
          context_{router_, desktop_, dialogs_, dbInfo_} {}

    std::filesystem::path ServerFile(const std::string& database) const {
        return db::embedded::ServerDatabaseFile(Native(kServerFolder), database);
    }
    // Embedded databases (made when missing) with the statements run on them.
    void MakeServerDatabase(const std::string& database, const std::vector<std::string>& sql) {
        fixtures::RunOnDatabase(ServerFile(database), db::Dialect::SqlServer, "", sql);
    }
    void MakeMdb(const std::vector<std::string>& sql) {
        fixtures::RunOnDatabase(Native(kMdbPath), db::Dialect::Jet, kMdbPassword, sql);
    }

    // A connected Kro_Ado of either kind on a database made from the statements.
    bool ConnectSql(db::Kro_Ado& ado, db::ConnectionRef& cn,
                    const std::string& database = "STORE") {
        return ado.DBConnection_SQL(cn, kServer, database, "sa", "");
    }
    bool ConnectMdb(db::Kro_Ado& ado, db::ConnectionRef& cn) {
        return ado.DBConnection_MDB(cn, kMdbPath, kMdbPassword, 0);
    }

    // The MDB file with the table 품목 of three rows: (A1, 감기약, 3), (a2, 소화제, 5), (B3, 파스,
    // 7).
    void MakeItemsMdb() {
        MakeMdb({"CREATE TABLE 품목 (코드 TEXT(10), 이름 TEXT(20), 수량 LONG)",
                 "INSERT INTO 품목 VALUES ('A1', '감기약', 3)",
                 "INSERT INTO 품목 VALUES ('a2', '소화제', 5)",
                 "INSERT INTO 품목 VALUES ('B3', '파스', 7)"});
    }

    // The ADO connection texts of the MDB file and of a server database.
    static std::string MdbText() {
        return std::string("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + kMdbPath +
               ";jet oledb:database Password=" + kMdbPassword;
    }
    static std::string ServerText(const std::string& database = "STORE") {
        return std::string("Provider=SQLOLEDB;Data Source=") + kServer +
               ";Initial Catalog=" + database + ";User ID=sa;Password=" + kServerPassword;
    }
    // An open connection made without Kro_Ado.
    db::ConnectionRef OpenConnection(const std::string& text) {
        auto cn = std::make_shared<db::Connection>(router_);
        cn->ConnectionString = text;
        cn->Open();
        return cn;
    }
    db::ConnectionRef OpenMdbConnection() { return OpenConnection(MdbText()); }

    std::int64_t Count(db::ConnectionRef& cn, const std::string& table) {
        db::RecordSet rs;
        rs.Open("SELECT COUNT(*) AS N FROM " + table, *cn);
        return rs["N"].AsInt();
    }

    std::shared_ptr<const db::LoginResolver> logins_;
    std::shared_ptr<const db::Router> router_;
    host::ScriptedDesktop desktop_;
    util::Dialogs dialogs_;
    db::CurrentDbInfo dbInfo_;
    db::AdoContext context_;
    // The object under test and its connection, for the tests of Kro_Ado and of the ADO objects.
    db::Kro_Ado ado_{context_};
    db::ConnectionRef cn_;
};

using db::ErrorNumber::kObjectClosed;
using db::ErrorNumber::kObjectOpen;

// AdoWorld with the items MDB (see MakeItemsMdb) made before each test.
class ItemsMdbWorld : public AdoWorld {
  protected:
    void SetUp() override { MakeItemsMdb(); }
};

enum class StoreKind { Mdb, SqlServer };

inline std::string KindName(const ::testing::TestParamInfo<StoreKind>& info) {
    return info.param == StoreKind::Mdb ? "Mdb" : "SqlServer";
}

// AdoWorld for each kind of store database: the MDB file and the server database STORE.
class KindWorld : public AdoWorld, public ::testing::WithParamInterface<StoreKind> {
  protected:
    bool Server() const { return GetParam() == StoreKind::SqlServer; }
    void MakeStore(const std::vector<std::string>& sql) {
        if (Server()) {
            MakeServerDatabase("STORE", sql);
        } else {
            MakeMdb(sql);
        }
    }
};

}  // namespace db_test
