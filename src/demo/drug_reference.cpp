#include "demo/drug_reference.h"

#include <stdexcept>

#include "db/login_resolver.h"
#include "host/host.h"
#include "host/profile.h"
#include "util/sql_text.h"

namespace demo {

const char* const kDrugReferenceTable =
    "CREATE TABLE DBF심평원약 (코드 VARCHAR(10), 표준코드 VARCHAR(13), 약품명 NVARCHAR(100), "
    "정리명 NVARCHAR(100), 규격단위 NVARCHAR(20), 업소명 NVARCHAR(50), 상한가 MONEY, 급여구분 "
    "NVARCHAR(10), 약품구분 NVARCHAR(10), 적용시작일 VARCHAR(8), 적용종료일 VARCHAR(8))";

ServerStore ReferenceStore(const std::string& server, const std::string& folder,
                           const std::string& password) {
    ServerStore store;
    store.server = server;
    store.database = kReferenceDatabase;
    store.password = password;
    store.folder = folder;
    return store;
}

void CreateDrugReference(const host::Host& host, const ServerStore& central,
                         const std::vector<std::string>& rows) {
    // The reference is looked up by insurance code or by standard code, one drug at a time.
    std::vector<std::string> sql{kDrugReferenceTable, "CREATE INDEX 코드 ON DBF심평원약 (코드)",
                                 "CREATE INDEX 표준코드 ON DBF심평원약 (표준코드)"};
    sql.insert(sql.end(), rows.begin(), rows.end());
    CreateServerStore(host, central, sql);
    const auto loginFile = host.Native(db::kDefaultLoginFile);
    const bool named =
        loginFile && host::UpdateProfileFile(*loginFile, [&](host::ProfileDocument& d) {
            return d.Set("Central", "Server", central.server);
        });
    if (!named) throw std::runtime_error("cannot name the central server in the login file");
}

std::string ReferenceRow(const std::string& code, const std::string& standard,
                         const std::string& drugName, const std::string& cleanName,
                         const std::string& unit, const std::string& maker,
                         const std::string& ceiling, const std::string& kind,
                         const std::string& from, const std::string& to,
                         const std::string& payment) {
    using util::SqlQuoted;
    return "INSERT INTO DBF심평원약 (코드, 표준코드, 약품명, 정리명, 규격단위, 업소명, 상한가, "
           "급여구분, 약품구분, 적용시작일, 적용종료일) VALUES (" +
           SqlQuoted(code) + ", " + SqlQuoted(standard) + ", " + SqlQuoted(drugName) + ", " +
           SqlQuoted(cleanName) + ", " + SqlQuoted(unit) + ", " + SqlQuoted(maker) + ", " +
           ceiling + ", " + SqlQuoted(payment) + ", " + SqlQuoted(kind) + ", " + SqlQuoted(from) +
           ", " + SqlQuoted(to) + ")";
}

std::string StandardCodeFilePath(const host::Host& host) {
    return host.ProgramFolder() + "\\" + kStandardCodeFileName;
}

void CreateStandardCodeFile(const host::Host& host, const std::vector<std::string>& rows,
                            bool withTable) {
    std::vector<std::string> sql;
    if (withTable) {
        sql.push_back("CREATE TABLE 표준코드 (구코드 VARCHAR(10), 표준코드 VARCHAR(13))");
        sql.push_back("CREATE INDEX 구코드 ON 표준코드 (구코드)");
    }
    sql.insert(sql.end(), rows.begin(), rows.end());
    CreateMdbStore(host, StandardCodeFilePath(host), sql, "");
}

std::string StandardCodeRow(const std::string& oldCode, const std::string& standard) {
    return "INSERT INTO 표준코드 (구코드, 표준코드) VALUES (" + util::SqlQuoted(oldCode) + ", " +
           util::SqlQuoted(standard) + ")";
}

}  // namespace demo
