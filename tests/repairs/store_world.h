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
#include "fixtures/world.h"
#include "util/kro_function.h"

namespace store_test {

using Kind = fixtures::StoreKind;

inline const char* KindName(Kind kind) {
    return kind == Kind::Mdb ? "Mdb" : "SqlServer";
}

using fixtures::kServer;
using fixtures::kServerFolder;
inline constexpr const char* kServerPassword = "pw";
inline constexpr const char* kDatabase = "STORE";
inline constexpr const char* kMdbPath = fixtures::kStoreMdbFile;
inline constexpr const char* kMdbPassword = demo::kStoreMdbPassword;

// The order tables of a store database (SQL Server types): order lines, package barcodes and
// voucher headers.
inline std::vector<std::string> OrderTablesSql() {
    return {
        "CREATE TABLE 입출상품 (작업일자 VARCHAR(8), 전표번호 VARCHAR(6), 일련번호 INT, "
        "제품코드 VARCHAR(10), 확장코드 VARCHAR(10), 확장포장수량 FLOAT, 전표종류 SMALLINT, "
        "DEL_CHK SMALLINT)",
        "CREATE TABLE 확장바코드 (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 포장수량 FLOAT, "
        "DEL_CHK SMALLINT)",
        "CREATE TABLE 전표마스터 (작업일자 VARCHAR(8), 전표번호 VARCHAR(6), 비고 VARCHAR(100), "
        "DEL_CHK SMALLINT)",
    };
}

class StoreWorld : public fixtures::RuntimeRoot {
  public:
    explicit StoreWorld(Kind kind) : RuntimeRoot(host::MsgAnswer::Ok), kind_(kind) {
        fixtures::WriteEmbeddedLogin(host_, kServer, kServerPassword, kServerFolder);
        MakeRuntime();
    }

    using RuntimeRoot::Boxes;
    Kind DbKind() const { return kind_; }
    config::Runtime& Runtime() { return Rt(); }
    host::ScriptedDesktop& Desktop() { return desktop_; }

    // Creates the database with the statements (in its own dialect), connects it through
    // Kro_Ado as StoreConnection and sets the configured kind to match.
    void Make(const std::vector<std::string>& sql) {
        fixtures::RunOnDatabase(DatabaseFile(),
                                kind_ == Kind::Mdb ? db::Dialect::Jet : db::Dialect::SqlServer,
                                kind_ == Kind::Mdb ? kMdbPassword : "", sql);
        fixtures::StoreTarget target;
        target.kind = kind_;
        target.mdbPath = kMdbPath;
        target.mdbPassword = kMdbPassword;
        target.server.server = kServer;
        target.server.database = kDatabase;
        target.server.password = "";
        fixtures::InstallStore(Rt(), target);
    }

    // The database opened a second time for table definitions, as the run driver opens it:
    // its changes go through the store connection, inside the step's transaction.
    std::unique_ptr<db::DaoDatabase> OpenDao() {
        const db::Router& router = *runtime_->Ado().router;
        auto dao =
            kind_ == Kind::Mdb
                ? db::DaoDatabase::Open(router, kMdbPath, std::string(";Pwd=") + kMdbPassword)
                : db::DaoDatabase::Open(router, "",
                                        std::string("Driver={SQL Server}; Server=") + kServer +
                                            "; Database=" + kDatabase +
                                            "; UID=sa; PWD=" + kServerPassword);
        dao->RunThrough(runtime_->StoreConnection);
        return dao;
    }

    void Execute(const std::string& sql) { runtime_->StoreConnection->Execute(sql); }

    // The first column of the first row through Nz as text ("" when there is no row).
    std::string Scalar(const std::string& sql) {
        db::RecordSet rs;
        rs.Open(sql, *runtime_->StoreConnection);
        return rs.Eof() ? std::string() : util::Kro_Function::Nz(rs[0], 1).AsText();
    }

    std::vector<db::ColumnInfo> Columns(const std::string& table) {
        return runtime_->StoreConnection->Engine().SchemaInfo().Columns(table);
    }

    const std::vector<std::string>& RunList() { return runtime_->MainWindow().List1.lines; }

  private:
    std::filesystem::path DatabaseFile() const {
        return kind_ == Kind::Mdb
                   ? *host_.Native(kMdbPath)
                   : db::embedded::ServerDatabaseFile(*host_.Native(kServerFolder), kDatabase);
    }

    Kind kind_;
};

}  // namespace store_test
