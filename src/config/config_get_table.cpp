// NorvConn::ActionGetTable: which configuration table belongs to this PC, allocating a PC code
// and building the tables when they are missing.
#include <cstdio>

#include "config/config_copy.h"
#include "config/config_errors.h"
#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/error.h"
#include "db/recordset.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/profile.h"
#include "util/ini_module.h"
#include "util/kro_function.h"
#include "util/sql_text.h"
#include "util/vb_text.h"

namespace config {
namespace {

constexpr const char* kCodeSection = "기타관리";
constexpr const char* kCodeKey = "데이터_종류";
constexpr const char* kFirstCode = "0000000001";
constexpr const char* kSharedTable = "CONFIG";

// Building the missing tables and starting over is tried at most this often.
constexpr int kMaxTableBuilds = 2;

std::string TableForCode(const std::string& code) {
    return code == kFirstCode ? kSharedTable : kSharedTable + code;
}

std::string NextCode(const util::Variant& highest) {
    const double next = util::Val(highest.IsNull() ? "" : highest.AsText()) + 1;
    char text[32];
    std::snprintf(text, sizeof text, "%010lld", static_cast<long long>(next));
    return text;
}

std::string TextOrEmpty(const util::Variant& v) {
    return v.IsNull() ? "" : v.AsText();
}

}  // namespace

bool NorvConn::TableExists(const std::string& table) {
    try {
        db::RecordSet rs;
        rs.Open("SELECT TOP 1 * FROM " + db::SqlName(table, "환경설정 테이블"), Shared(),
                db::CursorType::kForwardOnly, 1);
        rs.Close();
        return true;
    } catch (const db::DbError& e) {
        if (e.Number() == db::ErrorNumber::kTableMissing) return false;
        throw;
    }
}

void NorvConn::EnsureWorkstationTable(const std::string& table) {
    if (table == kSharedTable || TableExists(table)) return;
    clsConfigCopy copy(runtime_, shared_);
    if (!copy.ActionPatch_Creat_Config확장(table)) {
        throw db::DbError(ConfigError::kExtensionTableBuild,
                          "환경설정 확장테이블 만들기에 실패하였습니다");
    }
}

std::string NorvConn::FindConfigTable() {
    util::Kro_Function& utilities = runtime_.Utilities();
    std::string code = util::Trim(util::IniReadWithDefault(runtime_.Host(), kCodeSection, kCodeKey,
                                                           50, mainIni_, util::Variant()));
    const bool newCode = code.empty();
    bool registered = false;
    std::string table;
    db::RecordSet rs;
    if (newCode) {
        rs.Open("SELECT TOP 1 * FROM CONFIGPC ORDER BY 피씨코드 DESC", Shared(),
                db::CursorType::kForwardOnly, 1);
        code = rs.Eof() ? kFirstCode : NextCode(rs["피씨코드"]);
    } else {
        rs.Open("SELECT * FROM CONFIGPC WHERE 피씨코드 = " + util::SqlQuoted(code), Shared(),
                db::CursorType::kForwardOnly, 1);
        registered = !rs.Eof();
        if (registered) table = TextOrEmpty(rs["테이블명"]);
    }
    rs.Close();
    // The name goes into statements below: one that is no plain name stops here, before any.
    if (registered) {
        db::SqlName(table, "CONFIGPC.테이블명 of 피씨코드 " + code);
    } else {
        table = TableForCode(code);
        db::SqlName(table, std::string("NVConfig.INI [") + kCodeSection + "] " + kCodeKey);
        Shared().Execute("INSERT INTO CONFIGPC(피씨코드,피씨명,테이블명) VALUES(" +
                         util::SqlQuoted(code) + "," + util::SqlQuoted(utilities.SysComName()) +
                         "," + util::SqlQuoted(table) + ")");
    }
    EnsureWorkstationTable(table);
    if (newCode) {
        util::IniWriteValue(runtime_.Host(), kCodeSection, kCodeKey, util::Variant(code), mainIni_);
    }
    rs.Open("SELECT TOP 1 * FROM " + db::SqlName(table, "환경설정 테이블"), Shared(),
            db::CursorType::kForwardOnly, 1);
    rs.Close();
    return table;
}

std::string NorvConn::ExistingConfigTable() {
    const auto native = runtime_.Host().Native(mainIni_);
    const host::ProfileDocument ini =
        native ? host::LoadProfileFile(*native) : host::ProfileDocument::Parse("");
    const std::string code =
        util::Trim(host::GetProfileString(ini, kCodeSection, kCodeKey, "", 50));
    std::string table;
    if (!code.empty()) {
        try {
            db::RecordSet rs;
            rs.Open("SELECT * FROM CONFIGPC WHERE 피씨코드 = " + util::SqlQuoted(code), Shared(),
                    db::CursorType::kForwardOnly, 1);
            if (!rs.Eof()) {
                table = TextOrEmpty(rs["테이블명"]);
                db::SqlName(table, "CONFIGPC.테이블명 of 피씨코드 " + code);
            }
            rs.Close();
        } catch (const db::DbError& e) {
            if (e.Number() != db::ErrorNumber::kTableMissing) throw;
        }
    }
    if (!table.empty() && TableExists(table)) return table;
    return TableExists(kSharedTable) ? kSharedTable : "";
}

bool NorvConn::ActionGetTable(std::string& nTable, bool NewConfig) {
    for (int builds = 0;; ++builds) {
        try {
            nTable = FindConfigTable();
            return true;
        } catch (const db::DbError& e) {
            if (e.Number() == db::ErrorNumber::kInvalidArgument) {
                runtime_.Desktop().Inform(e.Description(), "환경설정에러", host::MsgIcon::Critical);
                return false;
            }
            const bool tablesMissing = e.Number() == db::ErrorNumber::kTableMissing ||
                                       e.Number() == ConfigError::kConfigTablesMissing;
            if (!NewConfig || !tablesMissing || builds >= kMaxTableBuilds) return false;
        } catch (const std::exception&) {
            return false;
        }
        try {
            clsConfigCopy copy(runtime_, shared_);
            if (!copy.ActionPatch_Creat_ConfigPC()) return false;
        } catch (const std::exception&) {
            return false;
        }
    }
}

}  // namespace config
