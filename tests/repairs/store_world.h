#pragma once
// A store database for the tests of the repairs and the catalogue: a Host on a fresh root, a
// login file that serves the server "STORE-PC" from an embedded folder, a Runtime with a
// scripted Desktop, and a real embedded database of either kind installed as StoreConnection
// through Kro_Ado.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/dao.h"
#include "db/embedded/embedded.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "db/router.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/temp_folder.h"
#include "util/kro_function.h"

namespace store_test {

enum class Kind { Mdb, SqlServer };

inline const char* KindName(Kind kind) {
    return kind == Kind::Mdb ? "Mdb" : "SqlServer";
}

inline constexpr const char* kServer = "STORE-PC";
inline constexpr const char* kServerFolder = "C:\\Quillon\\Server";
inline constexpr const char* kServerPassword = "pw";
inline constexpr const char* kDatabase = "STORE";
inline constexpr const char* kMdbPath = "C:\\Quillon\\Data\\store.mdb";
inline constexpr const char* kMdbPassword = "kelp2093";

class StoreWorld {
  public:
    explicit StoreWorld(Kind kind)
        : kind_(kind), host_(Options(temp_)), runtime_((WriteLoginFile(host_), host_), desktop_) {}

    Kind DbKind() const { return kind_; }
    config::Runtime& Runtime() { return runtime_; }
    host::ScriptedDesktop& Desktop() { return desktop_; }

    // Creates the database with the statements (in its own dialect), connects it through
    // Kro_Ado as StoreConnection and sets the configured kind to match.
    void Make(const std::vector<std::string>& sql) {
        db::embedded::OpenOptions options;
        options.dialect = kind_ == Kind::Mdb ? db::Dialect::Jet : db::Dialect::SqlServer;
        options.jetPassword = kind_ == Kind::Mdb ? kMdbPassword : "";
        options.create = true;
        const std::filesystem::path file = DatabaseFile();
        std::filesystem::create_directories(file.parent_path());
        {
            auto session = db::embedded::Open(file, options);
            for (const auto& s : sql) session->Execute(s, 30);
        }
        db::Kro_Ado ado(runtime_.Ado());
        const bool connected =
            kind_ == Kind::Mdb
                ? ado.DBConnection_MDB(runtime_.StoreConnection, kMdbPath, kMdbPassword, 0)
                : ado.DBConnection_SQL(runtime_.StoreConnection, kServer, kDatabase, "sa", "");
        ASSERT_TRUE(connected) << ado.ErrDes;
        runtime_.Config().데이터_종류 = kind_ == Kind::Mdb ? 0 : 1;
    }

    // The database opened a second time for table definitions, as the run driver opens it.
    std::unique_ptr<db::DaoDatabase> OpenDao() {
        const db::Router& router = *runtime_.Ado().router;
        return kind_ == Kind::Mdb
                   ? db::DaoDatabase::Open(router, kMdbPath, std::string(";Pwd=") + kMdbPassword)
                   : db::DaoDatabase::Open(router, "",
                                           std::string("Driver={SQL Server}; Server=") + kServer +
                                               "; Database=" + kDatabase +
                                               "; UID=sa; PWD=" + kServerPassword);
    }

    void Execute(const std::string& sql) { runtime_.StoreConnection->Execute(sql); }

    // The first column of the first row through Nz as text ("" when there is no row).
    std::string Scalar(const std::string& sql) {
        db::RecordSet rs;
        rs.Open(sql, *runtime_.StoreConnection);
        return rs.Eof() ? std::string() : util::Kro_Function::Nz(rs[0], 1).AsText();
    }

    std::vector<db::ColumnInfo> Columns(const std::string& table) {
        return runtime_.StoreConnection->Engine().SchemaInfo().Columns(table);
    }

    const std::vector<std::string>& RunList() { return runtime_.MainWindow().List1.lines; }

    std::vector<host::ScriptedDesktop::Call> Boxes() const {
        return desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox);
    }

  private:
    static host::HostOptions Options(const host_test::TempFolder& temp) {
        host::HostOptions options;
        options.root = temp.Path();
        return options;
    }
    static void WriteLoginFile(const host::Host& host) {
        host_test::WriteBytes(*host.Native("C:\\Quillon\\SqlLogin.INI"),
                              std::string("[") + kServer +
                                  "]\r\nAddress=127.0.0.1\r\nPassword=" + kServerPassword +
                                  "\r\nEngine=embedded:" + kServerFolder + "\r\n");
    }
    std::filesystem::path DatabaseFile() const {
        return kind_ == Kind::Mdb
                   ? *host_.Native(kMdbPath)
                   : db::embedded::ServerDatabaseFile(*host_.Native(kServerFolder), kDatabase);
    }

    Kind kind_;
    host_test::TempFolder temp_;
    host::Host host_;
    host::ScriptedDesktop desktop_{host::MsgAnswer::Ok};
    config::Runtime runtime_;
};

}  // namespace store_test
