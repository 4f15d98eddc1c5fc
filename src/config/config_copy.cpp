#include "config/config_copy.h"

#include <functional>

#include "config/config_errors.h"
#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/ascii_text.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "host/desktop.h"
#include "util/dialogs.h"
#include "util/sql_text.h"

namespace config {
namespace {

constexpr const char* kSourceTable = "CONFIG";
constexpr const char* kPcTable = "CONFIGPC";
constexpr const char* kTemplateFile = "환경설정.mdb";
constexpr const char* kTemplateQuery = "SELECT * FROM NorvConf";
constexpr const char* kMdbConnect = ";Pwd=kelp2093";

constexpr const char* kBuildingText = "신환경설정을 적용하는중입니다 (소요시간 5초~1분)";
constexpr const char* kExtendingText =
    "최초사용자이거나 환경설정이 변경되었습니다 (설정을 재구성합니다)";
constexpr const char* kTemplateMissingText =
    "환경설정 테이블을 찾을 수 없어서, 신환경설정 셋팅에 실패하였습니다.\r\n\r\n"
    "노르베일으로 문의바랍니다";
constexpr const char* kCopyFailedText =
    "신환경설정 셋팅에 실패하였습니다. 노르베일으로 문의바랍니다";

// The columns every INSERT of a copy names; CONFIG's copy adds 검색어.
constexpr const char* kCopiedColumns =
    "환경코드,순서,필드구분,대표코드,대표상태,대그룹,그룹명,항목명"
    ",작동설명,사용화면,적용,적용방법,DFT_K,DFT_B,DFT_T,DFT_M,DFT_D,DFT_Y,DFT_C"
    ",디폴트,관리자메모,상태,기존명,신규명,Up_Date,Del_Chk,INIOPT";

// A statement or check that fails is tried this often in all, with a yield before each retry.
constexpr int kMaxAttempts = 3;

// How a column's value is written into the INSERT.
enum class Literal {
    Text,          // quoted; Null as the empty text
    TemplateText,  // quoted; from the template with one blank appended (stored rows carry it)
    Date,          // quoted; Null stays Null
    Number,        // bare; Null stays Null
    NumberOrZero,  // bare; Null as 0
};

struct ConfigColumn {
    const char* name;
    int daoType;
    int size;
    Literal literal;
};

// The configuration table, in column order; the last column is not copied between tables.
// clang-format off
constexpr ConfigColumn kColumns[] = {
    {"환경코드",   db::DaoType::kText,    10,  Literal::Text},
    {"순서",       db::DaoType::kLong,    0,   Literal::Number},
    {"필드구분",   db::DaoType::kLong,    0,   Literal::Number},
    {"대표코드",   db::DaoType::kText,    10,  Literal::Text},
    {"대표상태",   db::DaoType::kText,    50,  Literal::Text},
    {"대그룹",     db::DaoType::kInteger, 0,   Literal::Number},
    {"그룹명",     db::DaoType::kText,    100, Literal::Text},
    {"항목명",     db::DaoType::kText,    255, Literal::Text},
    {"작동설명",   db::DaoType::kText,    255, Literal::Text},
    {"사용화면",   db::DaoType::kText,    255, Literal::Text},
    {"적용",       db::DaoType::kText,    255, Literal::Text},
    {"적용방법",   db::DaoType::kText,    255, Literal::Text},
    {"DFT_K",      db::DaoType::kText,    255, Literal::Text},
    {"DFT_B",      db::DaoType::kText,    255, Literal::Text},
    {"DFT_T",      db::DaoType::kText,    255, Literal::Text},
    {"DFT_M",      db::DaoType::kText,    255, Literal::TemplateText},
    {"DFT_D",      db::DaoType::kText,    255, Literal::Text},
    {"DFT_Y",      db::DaoType::kText,    255, Literal::Text},
    {"DFT_C",      db::DaoType::kText,    255, Literal::Text},
    {"디폴트",     db::DaoType::kText,    255, Literal::Text},
    {"관리자메모", db::DaoType::kText,    255, Literal::Text},
    {"상태",       db::DaoType::kInteger, 0,   Literal::NumberOrZero},
    {"기존명",     db::DaoType::kText,    100, Literal::Text},
    {"신규명",     db::DaoType::kText,    100, Literal::Text},
    {"Up_Date",    db::DaoType::kDate,    0,   Literal::Date},
    {"Del_Chk",    db::DaoType::kInteger, 0,   Literal::Number},
    {"INIOPT",     db::DaoType::kInteger, 0,   Literal::NumberOrZero},
    {"EndOPT",     db::DaoType::kInteger, 0,   Literal::NumberOrZero},
    {"검색어",     db::DaoType::kText,    255, Literal::Text},
};
// clang-format on
constexpr std::size_t kCopiedCount = std::size(kColumns) - 1;

// CONFIGPC's columns, all texts.
constexpr std::pair<const char*, int> kPcColumns[] = {
    {"피씨코드", 10}, {"피씨명", 50}, {"테이블명", 50}};

std::string LiteralOf(const util::Variant& value, Literal literal, bool fromTemplate) {
    const bool none = value.IsNull() || value.IsEmpty();
    switch (literal) {
        case Literal::Text:
            return util::SqlQuotedValue(value);
        case Literal::TemplateText:
            return util::SqlQuoted(value.AsText() + (fromTemplate ? " " : ""));
        case Literal::Date:
            return none ? "Null" : util::SqlQuotedValue(value);
        case Literal::Number:
            return util::SqlNumber(value);
        case Literal::NumberOrZero:
            return util::SqlNumber(value, "0");
    }
    return "Null";
}

}  // namespace

// What one copy writes: the INSERT up to "VALUES(", how many of the columns, and whether the
// rows come from the template.
struct clsConfigCopy::CopyPlan {
    std::string insertHead;
    std::size_t columnCount;
    bool fromTemplate;

    // The statement for the current row.
    std::string Statement(const db::RecordSet& rs) const {
        std::string values;
        for (std::size_t i = 0; i < columnCount; ++i) {
            if (i > 0) values += ",";
            values += LiteralOf(rs[kColumns[i].name], kColumns[i].literal, fromTemplate);
        }
        return insertHead + values + ")";
    }
};

namespace {

// The table-existence check: the table list of the connection's schema.
bool TableExists(db::Connection& cn, std::string_view table) {
    for (const db::TableInfo& t : cn.Engine().SchemaInfo().Tables()) {
        if (db::EqualsNoCase(t.name, table)) return true;
    }
    return false;
}

db::Connection& Require(db::ConnectionRef& cn) {
    if (!cn) {
        throw db::DbError(ConfigError::kObjectNotSet,
                          "개체 변수 또는 With 블록 변수가 설정되어 있지 않습니다.");
    }
    return *cn;
}

// Shows the wait window with the text, lets it paint, and unloads it when the scope ends.
class WaitWindow {
  public:
    WaitWindow(Runtime& rt, const char* text) : rt_(rt) {
        rt_.Dialogs().ShowMessageWindow(text);
        rt_.Desktop().DoEvents();
    }
    ~WaitWindow() { rt_.Dialogs().UnloadMessageWindow(); }
    WaitWindow(const WaitWindow&) = delete;
    WaitWindow& operator=(const WaitWindow&) = delete;

  private:
    Runtime& rt_;
};

}  // namespace

clsConfigCopy::clsConfigCopy(Runtime& rt, db::ConnectionRef& shared) : rt_(rt), shared_(shared) {}

clsConfigCopy::~clsConfigCopy() = default;

db::DaoDatabase& clsConfigCopy::Database() {
    if (!dao_) {
        const NorvConn& c = rt_.Config().ConfigObject();
        const db::Router& router = *rt_.Ado().router;
        if (c.데이터_종류 != 0) {
            dao_ = db::DaoDatabase::Open(router, "",
                                         "Driver={SQL Server}; Server=" + c.데이터_SQLServer +
                                             "; Database=" + c.데이터_SQLDataName + "; UID=" +
                                             c.데이터_SQLID + "; PWD=" + c.데이터_SQLPass);
        } else {
            dao_ = db::DaoDatabase::Open(router, c.데이터_MDBPath, kMdbConnect);
        }
    }
    return *dao_;
}

void clsConfigCopy::DefineConfigTable(const std::string& table) {
    db::DaoDatabase& dao = Database();
    const bool mdb = dao.SqlDialect() == db::Dialect::Jet;
    tableDef_ = dao.CreateTableDef(table);
    for (const ConfigColumn& c : kColumns) {
        db::DaoField field = tableDef_->CreateField(c.name, c.daoType, c.size);
        field.AllowZeroLength = mdb && c.daoType == db::DaoType::kText && &c != kColumns;
        tableDef_->Fields.Append(field);
    }
    dao.TableDefs.Append(tableDef_);
}

bool clsConfigCopy::CopyRows(db::RecordSet& rs, const CopyPlan& plan) {
    db::Connection& shared = Require(shared_);
    for (; !rs.Eof(); rs.MoveNext()) {
        const std::string sql = plan.Statement(rs);
        for (int attempt = 1;; ++attempt) {
            try {
                shared.Execute(sql);
                break;
            } catch (const db::DbError& e) {
                if (e.Number() == db::ErrorNumber::kTableMissing || attempt >= kMaxAttempts) {
                    rt_.Desktop().Inform(kCopyFailedText);
                    return false;
                }
                rt_.Desktop().DoEvents();
            }
        }
    }
    return true;
}

bool clsConfigCopy::OpenRows(db::RecordSet& rs, db::Connection& cn, const char* sql) {
    try {
        rs.Open(sql, cn, db::CursorType::kStatic, 1);
        return true;
    } catch (const db::DbError& e) {
        if (e.Number() != db::ErrorNumber::kTableMissing) throw;
        rt_.Desktop().Inform(kCopyFailedText);
        return false;
    }
}

bool clsConfigCopy::BuildAndFill(const std::string& table, db::RecordSet& rows,
                                 const CopyPlan& plan) {
    DefineConfigTable(table);
    if (CopyRows(rows, plan)) return true;
    // A half-filled table would be taken for a complete one by every later start.
    try {
        Require(shared_).Execute("DROP TABLE " + db::SqlName(table, "환경설정 테이블"));
    } catch (const db::DbError&) {
    }
    return false;
}

bool clsConfigCopy::CreateConfigSource() {
    db::Kro_Ado ado(rt_.Ado());
    db::ConnectionRef source;
    const std::string path = rt_.Host().ProgramFolder() + "\\" + kTemplateFile;
    if (!ado.DBConnection_MDB(source, path, "", 0)) {
        rt_.Desktop().Inform(kTemplateMissingText);
        return false;
    }
    db::RecordSet rs;
    if (!OpenRows(rs, *source, kTemplateQuery)) return false;
    const CopyPlan plan{
        std::string("INSERT INTO CONFIG(") + kCopiedColumns + ", EndOPT, 검색어) VALUES(",
        std::size(kColumns), true};
    return BuildAndFill(kSourceTable, rs, plan);
}

// Runs the step; a table that is not (yet) visible makes it run again after a yield, a few
// times at most.
void clsConfigCopy::RetryWhileTableMissing(const std::function<void()>& step) {
    for (int attempt = 1;; ++attempt) {
        try {
            step();
            return;
        } catch (const db::DbError& e) {
            if (e.Number() != db::ErrorNumber::kTableMissing || attempt >= kMaxAttempts) throw;
            rt_.Desktop().DoEvents();
        }
    }
}

bool clsConfigCopy::BuildMissingTables(bool& sourceBuilt) {
    Database();
    db::Connection& shared = Require(shared_);
    RetryWhileTableMissing([&] {
        if (TableExists(shared, kSourceTable)) return;
        try {
            sourceBuilt = CreateConfigSource();
        } catch (const db::DbError&) {
            sourceBuilt = false;
        }
    });
    if (!sourceBuilt) return false;
    RetryWhileTableMissing([&] {
        if (TableExists(shared, kPcTable)) return;
        const bool mdb = Database().SqlDialect() == db::Dialect::Jet;
        tableDef_ = Database().CreateTableDef(kPcTable);
        for (const auto& [name, size] : kPcColumns) {
            db::DaoField field = tableDef_->CreateField(name, db::DaoType::kText, size);
            field.AllowZeroLength = mdb;
            tableDef_->Fields.Append(field);
        }
        Database().TableDefs.Append(tableDef_);
    });
    RetryWhileTableMissing([&] {
        db::RecordSet rs;
        rs.Open("SELECT TOP 1 * FROM CONFIGPC", shared, db::CursorType::kForwardOnly, 1);
        rs.Close();
    });
    return true;
}

bool clsConfigCopy::ActionPatch_Creat_ConfigPC() {
    WaitWindow wait(rt_, kBuildingText);
    bool sourceBuilt = true;
    bool built = false;
    try {
        built = BuildMissingTables(sourceBuilt);
    } catch (const db::DbError&) {
        built = false;
    }
    if (!sourceBuilt) throw db::DbError(kConfigSourceBuildError, kConfigSourceBuildText);
    return built;
}

bool clsConfigCopy::ActionPatch_Creat_Config확장(const std::string& TableName) {
    WaitWindow wait(rt_, kExtendingText);
    try {
        db::RecordSet rs;
        if (!OpenRows(rs, Require(shared_), "SELECT * FROM CONFIG")) return false;
        const CopyPlan plan{"INSERT INTO " + db::SqlName(TableName, "환경설정 테이블") + "(" +
                                kCopiedColumns + ",EndOPT) VALUES(",
                            kCopiedCount, false};
        return BuildAndFill(TableName, rs, plan);
    } catch (const db::DbError&) {
        return false;
    }
}

bool clsConfigCopy::ActionPatch_Creat_Config확장(const std::string& TableName, bool& bResult) {
    bResult = ActionPatch_Creat_Config확장(TableName);
    return bResult;
}

}  // namespace config
