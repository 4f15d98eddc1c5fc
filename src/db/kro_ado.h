#pragma once
// Kro_Ado: the store software's thin layer over the connection objects. It opens connections of
// five kinds (MDB, SQL Server, Excel, dBase, Paradox), runs statements and queries with an
// automatic reconnect and a question to the user when the link is lost, and inspects and changes
// tables and columns. The connections always belong to the caller; the object keeps the one it
// opened last (its "own" connection) for the schema operations.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/current_db_info.h"
#include "db/recordset.h"
#include "util/variant.h"

namespace host {
class Desktop;
}
namespace util {
class Dialogs;
}

namespace db {

class Router;

// What every Kro_Ado object of a process shares; the process owns all of it.
struct AdoContext {
    std::shared_ptr<const Router> router;
    host::Desktop& desktop;
    util::Dialogs& dialogs;
    CurrentDbInfo& dbInfo;
};

// Column type codes of TableAdd, FieldAdd and FieldTypeChange.
namespace FieldCode {
inline constexpr int kChar = 0, kNVarChar = 1, kText = 2, kBit = 10, kTinyInt = 11, kSmallInt = 12,
                     kInt = 13, kDecimal = 21, kFloat = 22, kDateTime = 23, kMoney = 24;
}

class Kro_Ado {
  public:
    explicit Kro_Ado(const AdoContext& context);

    // Filled by the connection operations on failure only; callers read and may clear them.
    util::Variant ErrNo;
    std::string ErrDes;
    std::string ErrSou;
    std::string ErrDetails;
    std::string ErrDB;

    // 0 MDB, 1 SQL Server (dBase and Paradox too), 2 Excel.
    int DataType() const { return kind_; }
    // The connection most recently opened through this object; empty before the first.
    const ConnectionRef& OwnConnection() const { return own_; }

    // --- connections (each puts a new connection object into cn) -----------------------------
    bool DBConnection_MDB(ConnectionRef& cn, const std::string& MDB_PATH,
                          const std::string& password, int MDBVERSION, int ConTimeOut = 0);
    bool DBConnection_SQL(ConnectionRef& cn, std::string SQL_Server, std::string SQL_DATABASE,
                          std::string SQL_USERID, std::string SQL_USERPASSWORD, int NewWorkLB = 0,
                          int ConTimeOut = 0, bool NvMainYN = false);
    bool DBConnection_EXCEL(ConnectionRef& cn, const std::string& EXCEL_PATH,
                            const std::string& EXCELDir, int ConTimeOut = 0);
    bool DBConnection_FOX(ConnectionRef& cn, const std::string& PATH);
    bool DBConnection_PARADOXS(ConnectionRef& cn, const std::string& PATH);

    // --- statements (never throw) --------------------------------------------------------------
    // The affected-record count; 0 when the statement was abandoned after an error.
    std::int32_t RunSql(ConnectionRef& cn, const std::string& Sql);
    // An open record set, or a closed one when the query was abandoned.
    RecordSetRef GetRecordSet(ConnectionRef& cn, const std::string& rsSql,
                              int rsCursorType = CursorType::kStatic,
                              const util::Variant& rsLockTypeEnum = 1,
                              const util::Variant& rsCursorLocationEnum = 3);
    // Closes rs and empties the handle; does nothing to a closed set or an empty handle.
    static void CloseRecordSet(RecordSetRef& rs);
    bool IsServerConnect(const ConnectionRef& cn) const;
    // Replaces dbConnect with a new connection on the same connection string, showing the wait
    // window meanwhile. iCnTime 0 means a 10 second connection timeout.
    bool ConnectServerRe(ConnectionRef& dbConnect, int iCnTime = 0);
    // The same without window and without setting the server-connected flag.
    bool DBReConnect(ConnectionRef& cn, int ConTimeOut = 0);

    // --- schema (on the object's own connection) -----------------------------------------------
    // "Passed to the caller" operations throw DbError; a never-connected object throws 3704.
    bool TableAdd(std::string Table, std::string FirstField, int FieldType, int FileSize = 0);
    std::string TableNameGet();
    std::string TableNameGet(int& nCount);
    bool TableFind(const std::string& Table);
    void TableDelete(const std::string& Table);
    // Creates NewTableName on NewCn with the columns and indexes of OldTableName. A statement
    // that fails is skipped and the copy goes on with the next; the last failure is rethrown
    // once everything was tried.
    void TableCopy(ConnectionRef& NewCn, const std::string& OldTableName,
                   const std::string& NewTableName);
    bool FieldAdd(std::string Table, std::string Field, int FieldType, int FileSize = 0);
    std::string FieldTypeName(int FieldType) const;
    // Leaves the data in the new column Field + "_X"; the old column is dropped.
    void FieldTypeChange(const std::string& Table, const std::string& Field, int FieldType,
                         int FieldSize = 0);
    // Column names joined by ","; "ERR" on any error.
    std::string FieldNameGet(const std::string& Table);
    std::string FieldNameGet(const std::string& Table, int& nCount);
    bool FieldFind(const std::string& Table, const std::string& Field);
    // InfoKind 0 type name, 1 precision, 2 nullability ("YES"/"NO"), any other the qualifier.
    util::Variant FieldInfo(const std::string& Table, const std::string& Field, int InfoKind);
    // nValue as an SQL literal for the column: quoted (apostrophes doubled) for text and date
    // columns, a number otherwise.
    std::string FieldTypeGetSql(const std::string& Table, const std::string& Field,
                                const util::Variant& nValue);
    void FieldDelete(const std::string& Table, const std::string& Field);

    // --- backup, data copy and server housekeeping (on the database of CurrentDbInfo) --------
    // Backs the current database up to BackDataPath (a Windows path; empty: a name of the
    // database, the date and the time in the program folder's Backup folder). MDB: the backup
    // file holds the database as it was and the live file is compacted; SQL Server: BACKUP
    // DATABASE on the object's own connection. False on any error.
    bool DBGoBackUp(const std::string& BackDataPath = "");
    // The Windows path the last DBGoBackUp wrote to (or tried to).
    std::string BackupPath;
    // Whether the last DBGoBackUp's backup is complete under BackupPath, also when it then
    // failed to compact the live MDB file.
    bool BackupWritten = false;
    // Copies rows of OldTableName of the MDB file OldPath into NewTableName on NewCnAdo: the
    // columns strTable (all when empty), WhereBackStrSQL appended as it is. On failure ErrMsg
    // holds the error's description.
    bool DBDataCopy_MDBTOMDB(ConnectionRef& NewCnAdo, const std::string& OldTableName,
                             const std::string& NewTableName, const std::string& PASSWORD,
                             const std::string& OldPath, const std::string& strTable = "",
                             const std::string& WhereBackStrSQL = "",
                             std::string* ErrMsg = nullptr);
    // The same from an MDB file into a SQL Server database; a failure is told in a message box
    // that asks to check that the source table exists.
    bool DBDataCopy_MDBTOSQL(ConnectionRef& NewSqlCnAdo, const std::string& OldTableName,
                             const std::string& NewTableName, const std::string& MDBPath,
                             const std::string& PASSWORD, const std::string& strTable = "",
                             const std::string& WhereBackStrSQL = "");
    // The same from a database of another SQL Server; without strTable the columns are those of
    // the source table on the object's own connection.
    bool DBDataCopy_SQLTOSQL(ConnectionRef& NewCnAdo, const std::string& NewServerName,
                             const std::string& NewDataName, const std::string& NewId,
                             const std::string& NewPass, const std::string& OldTableName,
                             const std::string& NewTableName, const std::string& strTable = "",
                             const std::string& WhereBackStrSQL = "");
    // Housekeeping through the server's command-line client; each returns the client's output or
    // what it made of it. A refusal of the server (or a client that did not run) leaves its
    // reason in ErrDes; `ok`, when given, tells whether the server did what was asked.
    std::string DBSqlATTACH(const std::string& nDBName, const std::string& nDataPath,
                            bool* ok = nullptr);
    std::string DBSqlDeTTACH(const std::string& DBName, bool* ok = nullptr);
    // "성공", "실패", "싱글모드 작업실패" or "멀티모드 작업실패".
    std::string DBSqlDataReName(const std::string& NewData);
    bool DBSqlSingleMode(bool nValue);
    // mode 0 the database, 1 its file.
    bool DBSQL데이터축소(int mode, const std::string& size);
    // The names of the server's databases, one a line, in ReturnStr.
    bool DBSQL_DBName(std::string* ReturnStr = nullptr);

  private:
    // One column as the server's column listing describes it.
    struct ColumnRow {
        std::string name;
        std::string typeName;
        util::Variant precision;
        std::string isNullable;  // "YES" / "NO"
        util::Variant nullable;  // 1 / 0
        util::Variant qualifier;
    };
    enum class Outcome { Done, Abandoned };

    // Runs `attempt` with the reconnect rules of RunSql and GetRecordSet.
    Outcome WithReconnect(ConnectionRef& cn, const std::function<void()>& attempt);
    bool OpenNew(ConnectionRef& cn, const std::string& connectionString, int mode,
                 int commandTimeout);
    void RecordFailure(const ConnectionRef& cn, const DbError* runtime);
    void Adopt(const ConnectionRef& cn, int kind);

    // The connection behind a handle; an empty handle throws DbError 91.
    static Connection& Require(const ConnectionRef& cn);
    // The object's own connection; throws DbError 3704 before the first connection.
    Connection& Own();
    // True when the catalogue procedures of a real SQL Server answer the schema questions.
    bool OnServerProcedures();
    // The columns of Table as the server's column listing gives them: from `procedureText` on a
    // real server, from the catalogue otherwise.
    std::vector<ColumnRow> ServerColumns(const std::string& Table,
                                         const std::string& procedureText);
    std::string TypeClause(int FieldType, int FileSize) const;
    bool TryRun(const std::string& sql);
    // The housekeeping runner: writes the batch and the script, starts the client and returns
    // its output (empty when it could not be run). `ok` tells whether the output reports no
    // error.
    std::string RunHousekeeping(const std::string& statement, bool* ok = nullptr);
    bool RunCopy(ConnectionRef& cn, const std::string& sql, std::string* description);

    AdoContext context_;
    ConnectionRef own_;
    int kind_ = 0;
    int mdbVersion_ = 0;
    bool serverConnected_ = false;
    bool ownOnOdbc_ = false;
};

}  // namespace db
