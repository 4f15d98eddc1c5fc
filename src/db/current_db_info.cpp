#include "db/current_db_info.h"

namespace db {

void CurrentDbInfo::RecordMdb(const std::string& path, const std::string& password, int version) {
    Kind = 0;
    MdbPath = path;
    MdbPassword = password;
    MdbVersion = static_cast<std::int16_t>(version);
}

void CurrentDbInfo::RecordSql(const std::string& server, const std::string& database,
                              const std::string& userId, const std::string& password) {
    Kind = 1;
    SqlServer = server;
    SqlDatabase = database;
    SqlUserId = userId;
    SqlPassword = password;
}

void CurrentDbInfo::RecordExcel(const std::string& path, const std::string& dir) {
    Kind = 2;
    ExcelPath = path;
    ExcelDir = dir;
}

void CurrentDbInfo::RecordFox(const std::string& path) {
    Kind = 1;
    FoxPath = path;
}

void CurrentDbInfo::RecordParadox(const std::string& path) {
    Kind = 1;
    ParadoxPath = path;
}

}  // namespace db
