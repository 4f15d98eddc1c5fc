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
#include "host/desktop.h"
#include "host/host.h"
#include "host/temp_folder.h"

namespace config_test {

enum class StoreKind { Mdb = 0, SqlServer = 1 };

inline std::string StoreKindName(const ::testing::TestParamInfo<StoreKind>& info) {
    return info.param == StoreKind::Mdb ? "Mdb" : "SqlServer";
}

inline constexpr const char* kStoreMdbPath = "C:\\Quillon\\Data\\DatMain.mdb";

class CopyWorld : public ::testing::TestWithParam<StoreKind> {
  protected:
    CopyWorld() : host_(Options(temp_)) {}

    // Makes the store database (running the statements in its dialect), the runtime and the
    // shared connection. The template is made first unless the test does it itself.
    void MakeStore(const std::vector<std::string>& statements = {}, bool withTemplate = true) {
        if (withTemplate) fixtures::CreateConfigTemplate(host_, rows_);
        if (Mdb()) {
            fixtures::CreateMdbStore(host_, kStoreMdbPath, statements);
        } else {
            fixtures::CreateServerStore(host_, server_, statements);
        }
        rt_ = std::make_unique<config::Runtime>(host_, desktop_);
        config::NorvConn& c = rt_->Config();
        c.데이터_종류 = Mdb() ? 0 : 1;
        c.데이터_MDBPath = kStoreMdbPath;
        c.데이터_SQLServer = server_.server;
        c.데이터_SQLDataName = server_.database;
        c.데이터_SQLID = server_.user;
        c.데이터_SQLPass = server_.password;
        db::Kro_Ado ado(rt_->Ado());
        const bool open =
            Mdb() ? ado.DBConnection_MDB(rt_->StoreConnection, kStoreMdbPath,
                                         fixtures::kStoreMdbPassword, 0)
                  : ado.DBConnection_SQL(rt_->StoreConnection, server_.server, server_.database,
                                         server_.user, server_.password, 1);
        ASSERT_TRUE(open) << ado.ErrDes;
    }

    bool Mdb() const { return GetParam() == StoreKind::Mdb; }
    db::Dialect StoreDialect() const { return Mdb() ? db::Dialect::Jet : db::Dialect::SqlServer; }
    config::Runtime& Rt() { return *rt_; }
    db::Connection& Store() { return *rt_->StoreConnection; }

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

    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& c : desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox)) {
            texts.push_back(c.text);
        }
        return texts;
    }
    std::size_t Yields() const {
        return desktop_.CallsOf(host::ScriptedDesktop::CallKind::DoEvents).size();
    }

    host_test::TempFolder temp_;
    host::Host host_;
    host::ScriptedDesktop desktop_{host::MsgAnswer::Ok};
    fixtures::ServerStore server_;
    std::vector<fixtures::ConfigRow> rows_ = fixtures::TemplateRows();
    std::unique_ptr<config::Runtime> rt_;

  private:
    static host::HostOptions Options(const host_test::TempFolder& temp) {
        host::HostOptions options;
        options.root = temp.Path();
        return options;
    }
};

}  // namespace config_test
