#pragma once
// A small world for the configuration layer's tests: a Host on a fresh root, a scripted Desktop,
// the process values (Runtime), INI files at their fixed places and real embedded store
// databases (an MDB file, and a SQL Server folder named by the login file) made on demand.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/embedded/embedded.h"
#include "db/recordset.h"
#include "fixtures/config_template.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/temp_folder.h"
#include "util/sql_text.h"

namespace config_test {

inline constexpr const char* kMainIni = "C:\\Quillon\\NVConfig.INI";
inline constexpr const char* kPrinterIni = "C:\\Windows\\System32\\zentrix_s_sys.ini";
inline constexpr const char* kStoreMdb = "C:\\Quillon\\Data\\store.mdb";
inline constexpr const char* kStoreMdbPassword = "kelp2093";
inline constexpr const char* kServer = "STORE-PC";
inline constexpr const char* kServerFolder = "C:\\Quillon\\Server";

// A row of a configuration table as the tests need it.
struct ConfigRow {
    std::string code;                  // 환경코드
    int kind;                          // 필드구분: 2 text, otherwise a number
    int group;                         // 대그룹
    std::optional<std::string> value;  // 적용; nullopt for Null
    std::string name;                  // 신규명
    int deleted = 0;                   // Del_Chk
};

class ConfigWorld : public ::testing::Test {
  protected:
    ConfigWorld() : host_(Options(temp_)) {
        Put("C:\\Quillon\\SqlLogin.INI", std::string("[") + kServer +
                                             "]\r\nAddress=127.0.0.1\r\nPassword=pw\r\n"
                                             "Engine=embedded:" +
                                             kServerFolder + "\r\n");
        runtime_ = std::make_unique<config::Runtime>(host_, desktop_);
    }

    config::Runtime& Rt() { return *runtime_; }
    config::NorvConn& Config() { return runtime_->Config(); }

    std::filesystem::path Native(std::string_view windowsPath) const {
        return *host_.Native(windowsPath);
    }
    void Put(std::string_view windowsPath, std::string_view bytes) {
        host_test::WriteBytes(Native(windowsPath), bytes);
    }
    std::string Get(std::string_view windowsPath) const {
        return host_test::ReadBytes(Native(windowsPath));
    }
    bool Exists(std::string_view windowsPath) const {
        return std::filesystem::exists(Native(windowsPath));
    }

    // The main INI of an MDB store at kStoreMdb, plus `more` lines (CR LF each).
    void PutMdbIni(std::string_view more = "") {
        Put(kMainIni, std::string("[DATA]\r\n데이터_종류=0\r\n데이터_MDBPath=") + kStoreMdb +
                          "\r\n데이터_네트웍사용여부=1\r\n" + std::string(more));
    }

    // The texts of the message boxes shown so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& call : desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox)) {
            texts.push_back(call.text);
        }
        return texts;
    }

    // --- databases ---------------------------------------------------------------------------
    static void Run(const std::filesystem::path& file, db::Dialect dialect,
                    const std::string& password, const std::vector<std::string>& sql) {
        std::filesystem::create_directories(file.parent_path());
        db::embedded::OpenOptions options;
        options.dialect = dialect;
        options.jetPassword = password;
        options.create = true;
        auto session = db::embedded::Open(file, options);
        for (const auto& s : sql) session->Execute(s, 30);
    }
    void RunMdb(const std::vector<std::string>& sql) {
        Run(Native(kStoreMdb), db::Dialect::Jet, kStoreMdbPassword, sql);
    }
    void RunServer(const std::string& database, const std::vector<std::string>& sql) {
        Run(db::embedded::ServerDatabaseFile(Native(kServerFolder), database),
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
            "CREATE TABLE CONFIGPC (피씨코드 TEXT(10), 피씨명 TEXT(50), 테이블명 TEXT(50))",
            "CREATE TABLE 피씨명 (피씨코드 TEXT(10), 피씨명 TEXT(50))"};
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

    host_test::TempFolder temp_;
    host::Host host_;
    host::ScriptedDesktop desktop_{host::MsgAnswer::Ok};
    std::unique_ptr<config::Runtime> runtime_;

  private:
    static host::HostOptions Options(const host_test::TempFolder& temp) {
        host::HostOptions options;
        options.root = temp.Path();
        return options;
    }
};

}  // namespace config_test
