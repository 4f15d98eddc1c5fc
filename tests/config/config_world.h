#pragma once
// Two worlds for the configuration layer's tests. ConfigWorld: a Host on a fresh root, a scripted
// Desktop, the process values (Runtime), INI files at their fixed places and real embedded store
// databases (an MDB file, and a SQL Server folder named by the login file) made on demand.
// CopyWorld, below, for the configuration tables of either kind of store.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/embedded/embedded.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "fixtures/config_template.h"
#include "fixtures/store_database.h"
#include "fixtures/world.h"
#include "util/sql_text.h"

namespace config_test {

inline constexpr const char* kMainIni = "C:\\Quillon\\NVConfig.INI";
inline constexpr const char* kPrinterIni = "C:\\Windows\\System32\\zentrix_s_sys.ini";
inline constexpr const char* kStoreMdb = fixtures::kStoreMdbFile;
inline constexpr const char* kStoreMdbPassword = fixtures::kStoreMdbPassword;
using fixtures::kServer;
using fixtures::kServerFolder;

// A row of a configuration table as the tests need it.
struct ConfigRow {
    std::string code;                  // 환경코드
    int kind;                          // 필드구분: 2 text, otherwise a number
    int group;                         // 대그룹
    std::optional<std::string> value;  // 적용; nullopt for Null
    std::string name;                  // 신규명
    int deleted = 0;                   // Del_Chk
};

class ConfigWorld : public ::testing::Test, public fixtures::RuntimeRoot {
  protected:
    ConfigWorld() : RuntimeRoot(host::MsgAnswer::Ok) {
        fixtures::WriteEmbeddedLogin(host_, kServer, "pw", kServerFolder);
        MakeRuntime();
    }

    config::NorvConn& Config() { return runtime_->Config(); }

    // The main INI of an MDB store at kStoreMdb, plus `more` lines (CR LF each).
    void PutMdbIni(std::string_view more = "") {
        Put(kMainIni, std::string("[DATA]\r\n데이터_종류=0\r\n데이터_MDBPath=") + kStoreMdb +
                          "\r\n데이터_네트웍사용여부=1\r\n" + std::string(more));
    }

    // --- databases ---------------------------------------------------------------------------
    void RunMdb(const std::vector<std::string>& sql) {
        fixtures::RunOnDatabase(Native(kStoreMdb), db::Dialect::Jet, kStoreMdbPassword, sql);
    }
    void RunServer(const std::string& database, const std::vector<std::string>& sql) {
        fixtures::RunOnDatabase(db::embedded::ServerDatabaseFile(Native(kServerFolder), database),
                                db::Dialect::SqlServer, "", sql);
    }

    static std::string CreateConfigTable(const std::string& table,
                                         db::Dialect dialect = db::Dialect::Jet) {
        return fixtures::CreateConfigTableSql(table, dialect);
    }
    // The statements that add the rows to the table (a Null 적용 is set afterwards).
    static std::vector<std::string> Insert(const std::string& table,
                                           const std::vector<ConfigRow>& rows) {
        std::vector<std::string> sql;
        for (const ConfigRow& row : rows) {
            fixtures::ConfigRow full;
            full.환경코드 = row.code;
            full.필드구분 = row.kind;
            full.대그룹 = row.group;
            full.적용 = row.value.value_or("");
            full.신규명 = row.name;
            full.Del_Chk = row.deleted;
            sql.push_back(fixtures::InsertConfigRowSql(table, full));
            if (!row.value) {
                sql.push_back("UPDATE " + table +
                              " SET 적용 = Null WHERE 환경코드 = " + util::SqlQuoted(row.code));
            }
        }
        return sql;
    }
    // CONFIGPC with (code, table) rows and the table 피씨명 with (computer name, code) rows.
    static std::vector<std::string> PcTables(
        const std::vector<std::pair<std::string, std::string>>& codes,
        const std::vector<std::pair<std::string, std::string>>& pcNames = {}) {
        std::vector<std::string> sql = {
            "CREATE TABLE CONFIGPC (피씨코드 VARCHAR(10), 피씨명 VARCHAR(50), 테이블명 "
            "VARCHAR(50))",
            "CREATE TABLE 피씨명 (피씨코드 VARCHAR(10), 피씨명 VARCHAR(50))"};
        for (const auto& [code, table] : codes) {
            sql.push_back("INSERT INTO CONFIGPC VALUES (" + util::SqlQuoted(code) + ", 'PC', " +
                          util::SqlQuoted(table) + ")");
        }
        for (const auto& [name, code] : pcNames) {
            sql.push_back("INSERT INTO 피씨명 VALUES (" + util::SqlQuoted(code) + ", " +
                          util::SqlQuoted(name) + ")");
        }
        return sql;
    }

    // Values of one column of a query on the store MDB, as text.
    std::vector<std::string> Column(const std::string& sql, const std::string& column) {
        std::vector<std::string> out;
        db::RecordSet rs;
        auto cn = std::make_shared<db::Connection>(runtime_->Ado().router);
        cn->ConnectionString = std::string("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
                               kStoreMdb + ";Jet OLEDB:Database Password=" + kStoreMdbPassword;
        cn->Open();
        rs.Open(sql, *cn);
        for (; !rs.Eof(); rs.MoveNext()) out.push_back(rs[column].AsText());
        return out;
    }
};

// The world of the configuration-table tests: a fresh root, an empty store database of either
// kind made by the shared builders (an MDB file, or an embedded SQL Server database registered in
// the login file), the template "환경설정.mdb", a Runtime whose configuration object names the
// store database, and StoreConnection open on it.
using fixtures::StoreKind;

inline std::string StoreKindName(const ::testing::TestParamInfo<StoreKind>& info) {
    return info.param == StoreKind::Mdb ? "Mdb" : "SqlServer";
}

inline constexpr const char* kStoreMdbPath = "C:\\Quillon\\Data\\DatMain.mdb";

class CopyWorld : public ::testing::TestWithParam<StoreKind>, public fixtures::RuntimeRoot {
  protected:
    CopyWorld() : RuntimeRoot(host::MsgAnswer::Ok) {}

    // Makes the store database (running the statements in its dialect), the runtime and the
    // shared connection. The template is made first unless the test does it itself.
    void MakeStore(const std::vector<std::string>& statements = {}, bool withTemplate = true) {
        if (withTemplate) fixtures::CreateConfigTemplate(host_, rows_);
        if (Mdb()) {
            fixtures::CreateMdbStore(host_, kStoreMdbPath, statements);
        } else {
            fixtures::CreateServerStore(host_, server_, statements);
        }
        config::NorvConn& c = MakeRuntime().Config();
        c.데이터_종류 = Mdb() ? 0 : 1;
        c.데이터_MDBPath = kStoreMdbPath;
        c.데이터_SQLServer = server_.server;
        c.데이터_SQLDataName = server_.database;
        c.데이터_SQLID = server_.user;
        c.데이터_SQLPass = server_.password;
        fixtures::StoreTarget target;
        target.kind = GetParam();
        target.mdbPath = kStoreMdbPath;
        target.server = server_;
        target.newWorkLB = 1;
        fixtures::InstallStore(Rt(), target);
    }

    bool Mdb() const { return GetParam() == StoreKind::Mdb; }
    db::Dialect StoreDialect() const { return Mdb() ? db::Dialect::Jet : db::Dialect::SqlServer; }
    db::Connection& Store() { return *Rt().StoreConnection; }

    bool HasTable(const std::string& table) {
        for (const auto& t : Store().Engine().SchemaInfo().Tables()) {
            if (t.name == table) return true;
        }
        return false;
    }

    // Every row of the query, each as column name -> value.
    std::vector<std::map<std::string, util::Variant>> Rows(const std::string& sql) {
        std::vector<std::map<std::string, util::Variant>> rows;
        db::RecordSet rs;
        rs.Open(sql, Store());
        for (; !rs.Eof(); rs.MoveNext()) {
            auto& row = rows.emplace_back();
            for (int i = 0; i < rs.FieldCount(); ++i) row[rs.FieldName(i)] = rs[i];
        }
        return rows;
    }

    std::size_t Yields() const {
        return desktop_.CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size();
    }

    fixtures::ServerStore server_;
    std::vector<fixtures::ConfigRow> rows_ = fixtures::TemplateRows();
};

}  // namespace config_test
