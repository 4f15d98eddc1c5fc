#pragma once
// The world of the configuration-table tests: a fresh root, an empty store database of either
// kind made by the shared builders (an MDB file, or an embedded SQL Server database registered in
// the login file), the template "환경설정.mdb", a Runtime whose configuration object names the
// store database, and StoreConnection open on it.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "fixtures/config_template.h"
#include "fixtures/store_database.h"
#include "fixtures/world.h"

namespace config_test {

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
