#pragma once
// The parameters of the last successful connection of each kind, shared by every Kro_Ado object
// of a process (the process owns the one record; the objects' context refers to it). Each
// connection operation overwrites its own fields and Kind; the others keep their values.
#include <cstdint>
#include <string>

namespace db {

struct CurrentDbInfo {
    std::int16_t Kind = 0;  // 0 MDB, 1 SQL Server, dBase, Paradox, 2 Excel
    std::string MdbPath;
    std::string MdbPassword;
    std::int16_t MdbVersion = 0;
    std::string SqlServer;
    std::string SqlDatabase;
    std::string SqlUserId;
    std::string SqlPassword;
    std::string ExcelPath;
    std::string ExcelDir;
    std::string FoxPath;
    std::string ParadoxPath;

    void RecordMdb(const std::string& path, const std::string& password, int version);
    void RecordSql(const std::string& server, const std::string& database,
                   const std::string& userId, const std::string& password);
    void RecordExcel(const std::string& path, const std::string& dir);
    void RecordFox(const std::string& path);
    void RecordParadox(const std::string& path);
};

}  // namespace db
