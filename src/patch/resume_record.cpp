#include "patch/resume_record.h"

#include "db/recordset.h"
#include "patch/schema_checks.h"
#include "repairs/require.h"
#include "util/sql_text.h"

namespace patch {
namespace {

constexpr int kReadOnly = 1;

std::string KeyCondition(const GateKey& key) {
    return " WHERE 단계 = " + std::to_string(key.mark) +
           " AND 블록 = " + std::to_string(key.block) +
           " AND 기준일 = " + util::SqlQuoted(key.gateDate) +
           " AND 패치일자 = " + util::SqlQuoted(key.lastPatch);
}

bool AnyRow(db::ConnectionRef& cn, const std::string& sql) {
    db::RecordSet rs;
    rs.Open(sql, repairs::Require(cn), db::CursorType::kStatic, kReadOnly);
    const bool any = !rs.Eof();
    rs.Close();
    return any;
}

}  // namespace

bool GateAlreadyPassed(db::ConnectionRef& cn, const GateKey& key) {
    if (!TableExists(cn, kResumeTable)) return false;
    return AnyRow(cn, std::string("SELECT 단계 FROM ") + kResumeTable + KeyCondition(key));
}

void NoteGatePassed(db::ConnectionRef& cn, const GateKey& key) {
    db::Connection& connection = repairs::Require(cn);
    if (!TableExists(cn, kResumeTable)) {
        connection.Execute(std::string("CREATE TABLE ") + kResumeTable +
                           " (단계 INTEGER, 블록 INTEGER, 기준일 VARCHAR(8), 패치일자 VARCHAR(8))");
    }
    connection.Execute(std::string("INSERT INTO ") + kResumeTable +
                       " (단계, 블록, 기준일, 패치일자) VALUES (" + std::to_string(key.mark) +
                       ", " + std::to_string(key.block) + ", " + util::SqlQuoted(key.gateDate) +
                       ", " + util::SqlQuoted(key.lastPatch) + ")");
}

void DropStaleResumeRecord(db::ConnectionRef& cn, const std::string& lastPatch) {
    if (!TableExists(cn, kResumeTable)) return;
    if (AnyRow(cn, std::string("SELECT 단계 FROM ") + kResumeTable +
                       " WHERE 패치일자 = " + util::SqlQuoted(lastPatch))) {
        return;
    }
    repairs::Require(cn).Execute(std::string("DROP TABLE ") + kResumeTable);
}

}  // namespace patch
