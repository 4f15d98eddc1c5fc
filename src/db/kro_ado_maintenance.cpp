// Kro_Ado: backup, data copies between databases of the two dialects, and the SQL Server
// housekeeping that runs a script through the server's command-line client.
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <system_error>

#include "db/embedded/file_copy.h"
#include "db/error.h"
#include "db/kro_ado.h"
#include "db/router.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/regional.h"
#include "host/spawn.h"
#include "util/kro_function.h"
#include "util/sql_text.h"
#include "util/vb_text.h"

namespace db {
namespace {

namespace fs = std::filesystem;

constexpr const char* kScriptFile = "C:\\QRXgoDbHdl.SQL";
constexpr const char* kBatchFile = "C:\\QRXgoDbHdl.BAT";
constexpr const char* kOutputFile = "C:\\QRXgoDbHdl.TXT";
constexpr const char* kClientVariable = "DATAPATCH_OSQL";
constexpr const char* kClientProgram = "datapatch-osql";
// Attempts at a temporary file that is locked before the operation gives up.
constexpr int kLockedFileAttempts = 20;

std::string FileStem(const std::string& windowsPath) {
    const std::size_t slash = windowsPath.find_last_of("\\/");
    std::string name = slash == std::string::npos ? windowsPath : windowsPath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// An apostrophe inside a quoted literal is written twice.
std::string InLiteral(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

// A list of column names ("a, b,c") with every name bracketed: "[a],[b],[c]". Throws DbError
// for a name that is no plain name (SqlName).
std::string QuotedColumns(const std::string& list, std::string_view origin) {
    std::string out;
    for (std::size_t from = 0;;) {
        const std::size_t comma = list.find(',', from);
        const std::string name = util::Trim(list.substr(from, comma - from));
        out += (out.empty() ? "" : ",") + SqlName(name, origin);
        if (comma == std::string::npos) return out;
        from = comma + 1;
    }
}

// A path or password inside the brackets of "[MS Access;DATABASE=…;PWD=…]": a ']' would end
// the brackets early and let the rest of the text run as SQL.
const std::string& InBracketSetting(const std::string& text, std::string_view origin) {
    if (text.find(']') != std::string::npos) {
        throw DbError(ErrorNumber::kInvalidArgument,
                      std::string(origin) + " may not hold ']': '" + text + "'");
    }
    return text;
}

fs::path ClientProgram() {
    if (const char* named = std::getenv(kClientVariable); named != nullptr && *named != '\0') {
        return named;
    }
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path(kClientProgram) : self.parent_path() / kClientProgram;
}

}  // namespace

bool Kro_Ado::DBGoBackUp(const std::string& BackDataPath) {
    const CurrentDbInfo& info = context_.dbInfo;
    const host::Host& host = context_.router->HostRef();
    const bool mdb = info.Kind == 0;
    std::string target = BackDataPath;
    if (target.empty()) {
        const std::string name = mdb ? FileStem(info.MdbPath) : info.SqlDatabase;
        target = host.ProgramFolder() + "\\Backup\\" + name +
                 host::LocalTimeText(std::chrono::system_clock::now(), "%Y%m%d%H%M%S") +
                 (mdb ? ".mdb" : ".dat");
    }
    BackupPath = target;
    BackupWritten = false;
    try {
        const std::optional<fs::path> native = host.Native(target);
        if (!native)
            throw DbError(ErrorNumber::kUnspecified, "'" + target + "' 경로가 잘못되었습니다.");
        fs::create_directories(native->parent_path());
        fs::remove(*native);
        if (mdb) {
            const std::optional<fs::path> live = host.Native(info.MdbPath);
            if (!live)
                throw DbError(ErrorNumber::kUnspecified,
                              "'" + info.MdbPath + "' 경로가 잘못되었습니다.");
            // The database as it is goes to the backup name, one committed state even while
            // others write; the live file is then compacted where it is, so that the
            // connections open on it stay valid.
            embedded::CopyDatabaseFile(*live, *native);
            BackupWritten = true;
            embedded::CompactDatabaseFile(*live);
            return true;
        }
        Require(own_).Execute("BACKUP DATABASE " + SqlName(info.SqlDatabase, "데이터_SQLDataName") +
                              " to Disk ='" + InLiteral(target) + "'");
        BackupWritten = true;
        return true;
    } catch (const DbError& e) {
        RecordFailure(own_, &e);
        return false;
    } catch (const std::exception& e) {
        ErrDes = e.what();
        return false;
    }
}

bool Kro_Ado::RunCopy(ConnectionRef& cn, const std::string& sql, std::string* description) {
    try {
        Require(cn).Execute(sql);
        return true;
    } catch (const DbError& e) {
        RecordFailure(cn, &e);
        if (description != nullptr) *description = e.Description();
        return false;
    }
}

bool Kro_Ado::DBDataCopy_MDBTOMDB(ConnectionRef& NewCnAdo, const std::string& OldTableName,
                                  const std::string& NewTableName, const std::string& PASSWORD,
                                  const std::string& OldPath, const std::string& strTable,
                                  const std::string& WhereBackStrSQL, std::string* ErrMsg) {
    std::string sql;
    try {
        const std::string columns =
            strTable.empty() ? "*" : QuotedColumns(strTable, "the columns to copy");
        sql = "Insert into " + SqlName(NewTableName, "the table to copy into") +
              (strTable.empty() ? "" : "(" + columns + ")") + " select " + columns + " from [" +
              "MS Access;DATABASE=" + InBracketSetting(OldPath, "The source file's path") +
              ";PWD=" + InBracketSetting(PASSWORD, "The source file's password") + "]." +
              SqlName(OldTableName, "the table to copy from") + " " + WhereBackStrSQL;
    } catch (const DbError& e) {
        ErrDes = e.Description();
        if (ErrMsg != nullptr) *ErrMsg = e.Description();
        return false;
    }
    return RunCopy(NewCnAdo, sql, ErrMsg);
}

bool Kro_Ado::DBDataCopy_MDBTOSQL(ConnectionRef& NewSqlCnAdo, const std::string& OldTableName,
                                  const std::string& NewTableName, const std::string& MDBPath,
                                  const std::string& PASSWORD, const std::string& strTable,
                                  const std::string& WhereBackStrSQL) {
    // The provider string and the query are literals: apostrophes in them are doubled.
    std::string sql;
    try {
        const std::string columns =
            strTable.empty() ? "*" : QuotedColumns(strTable, "the columns to copy");
        sql = "INSERT INTO " + SqlName(NewTableName, "the table to copy into") +
              (strTable.empty() ? "" : "(" + columns + ")") + " select " + columns + " from " +
              "OPENROWSET('Microsoft.Jet.OLEDB.4.0',';Database=" + InLiteral(MDBPath) +
              ";pwd=" + InLiteral(PASSWORD) + ";' ,'SELECT " + InLiteral(columns) + " FROM " +
              InLiteral(SqlName(OldTableName, "the table to copy from")) + " " +
              InLiteral(WhereBackStrSQL) + "')";
    } catch (const DbError& e) {
        ErrDes = e.Description();
        return false;
    }
    if (RunCopy(NewSqlCnAdo, sql, nullptr)) return true;
    context_.desktop.Inform("[" + OldTableName + "] 테이블이 존재하는지 확인하시기 바랍니다");
    return false;
}

bool Kro_Ado::DBDataCopy_SQLTOSQL(ConnectionRef& NewCnAdo, const std::string& NewServerName,
                                  const std::string& NewDataName, const std::string& NewId,
                                  const std::string& NewPass, const std::string& OldTableName,
                                  const std::string& NewTableName, const std::string& strTable,
                                  const std::string& WhereBackStrSQL) {
    const std::string listed = strTable.empty() ? FieldNameGet(OldTableName) : strTable;
    if (listed.empty() || listed == "ERR") return false;
    std::string sql;
    try {
        const std::string columns = QuotedColumns(listed, "the columns to copy");
        sql = "Insert into " + SqlName(NewTableName, "the table to copy into") + "(" + columns +
              ") " + "SELECT " + columns + " FROM " +
              "OPENROWSET('MSDASQL','DRIVER={SQL Server};SERVER=" + InLiteral(NewServerName) +
              ";UID=" + InLiteral(NewId) + ";PWD=" + InLiteral(NewPass) + "', " +
              SqlName(NewDataName, "the database to copy from") + ".DBO." +
              SqlName(OldTableName, "the table to copy from") + ")" + " AS A" + " " +
              WhereBackStrSQL;
    } catch (const DbError& e) {
        ErrDes = e.Description();
        return false;
    }
    return RunCopy(NewCnAdo, sql, nullptr);
}

std::string Kro_Ado::RunHousekeeping(const std::string& statement, bool* ok) {
    if (ok != nullptr) *ok = false;
    ErrDes.clear();
    const CurrentDbInfo& info = context_.dbInfo;
    // The helpers only read and write files of the root.
    host::Host& host = const_cast<host::Host&>(context_.router->HostRef());
    util::Kro_Function files(host, [this] { context_.desktop.DoEvents(); });
    // A step on a locked temporary file is tried again, a bounded number of times.
    const auto retried = [&](const auto& step) {
        for (int attempt = 0; attempt < kLockedFileAttempts; ++attempt) {
            if (step()) return true;
            context_.desktop.DoEvents();
        }
        return false;
    };
    const auto removeAll = [&] {
        for (const char* file : {kBatchFile, kScriptFile, kOutputFile}) {
            retried([&] { return !files.FileExist(file) || files.FileDelete(file); });
        }
    };
    removeAll();
    const std::string batch = "OSQL -S " + info.SqlServer + " -U " + info.SqlUserId + " -P " +
                              info.SqlPassword + " -i " + kScriptFile + " -o " + kOutputFile;
    const bool written =
        retried([&] { return files.FileWriteStr(kBatchFile, batch); }) &&
        retried([&] { return files.FileWriteStr(kScriptFile, statement + "\r\nGO"); });
    if (!written) {
        removeAll();
        ErrDes = std::string("the script ") + kScriptFile + " cannot be written";
        return {};
    }
    // The client is started with the batch file's arguments as a list, never through a shell,
    // so that blanks or shell characters in a password stay part of it.
    const host::SpawnResult started =
        host::SpawnProgram(ClientProgram(),
                           {"-S", info.SqlServer, "-U", info.SqlUserId, "-P", info.SqlPassword,
                            "-i", kScriptFile, "-o", kOutputFile},
                           false, {{"DATAPATCH_ROOT", host.Root().string()}});
    std::vector<std::string> lines;
    const bool loaded = started.started && files.FileLoadStr(lines, kOutputFile, true);
    removeAll();
    if (!loaded) {
        ErrDes = started.started ? "the client wrote no output" : started.error;
        return {};
    }
    std::string output;
    bool clean = true;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        // An error line of the client, also after the batch prompts ("1> 2> Msg 5070, …").
        std::string_view line = lines[i];
        while (line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0]))) {
            const std::size_t prompt = line.find("> ");
            if (prompt == std::string_view::npos ||
                line.find_first_not_of("0123456789") != prompt) {
                break;
            }
            line.remove_prefix(prompt + 2);
        }
        if (line.rfind("Msg ", 0) == 0) {
            // The server's reason is the line after its message header.
            if (clean) ErrDes = i + 1 < lines.size() ? lines[i + 1] : std::string(line);
            clean = false;
        }
        output += lines[i];
        if (i + 1 < lines.size()) output += "\r\n";
    }
    if (ok != nullptr) *ok = clean;
    return output;
}

std::string Kro_Ado::DBSqlATTACH(const std::string& nDBName, const std::string& nDataPath,
                                 bool* ok) {
    return RunHousekeeping(
        "exec sp_attach_db '" + InLiteral(nDBName) + "','" + InLiteral(nDataPath) + "'", ok);
}

std::string Kro_Ado::DBSqlDeTTACH(const std::string& DBName, bool* ok) {
    try {
        return RunHousekeeping("exec sp_detach_db " + SqlName(DBName, "the database to detach"),
                               ok);
    } catch (const DbError& e) {
        ErrDes = e.Description();
        if (ok != nullptr) *ok = false;
        return ErrDes;
    }
}

bool Kro_Ado::DBSqlSingleMode(bool nValue) {
    bool ok = false;
    try {
        RunHousekeeping("exec sp_dboption " +
                            SqlName(context_.dbInfo.SqlDatabase, "데이터_SQLDataName") +
                            ", 'single user', " + (nValue ? "True" : "False"),
                        &ok);
    } catch (const DbError& e) {
        ErrDes = e.Description();
    }
    return ok;
}

bool Kro_Ado::DBSQL데이터축소(int mode, const std::string& size) {
    const std::string trimmed = util::Trim(size);
    bool ok = false;
    try {
        const std::string database = SqlName(context_.dbInfo.SqlDatabase, "데이터_SQLDataName");
        if (trimmed.empty() || trimmed.find_first_not_of("0123456789") != std::string::npos) {
            throw DbError(ErrorNumber::kInvalidArgument,
                          "'" + trimmed + "' (the target size) is not a whole number");
        }
        const std::string statement = mode == 0
                                          ? "DBCC SHRINKDATABASE (" + database + "," + trimmed + ")"
                                          : "DBCC SHRINKFILE (" + database + "," + trimmed + ")";
        RunHousekeeping(statement, &ok);
    } catch (const DbError& e) {
        ErrDes = e.Description();
    }
    return ok;
}

bool Kro_Ado::DBSQL_DBName(std::string* ReturnStr) {
    bool ok = false;
    const std::string output = RunHousekeeping("EXEC SP_HELPDB", &ok);
    if (!ok) return false;
    std::string names;
    std::size_t start = 0;
    while (start <= output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = util::Trim(line);
        // The prompt line (with the column headers), the rule line, the count and blank lines.
        if (trimmed.empty() || trimmed.find('>') != std::string::npos ||
            trimmed.rfind("----", 0) == 0 || trimmed.front() == '(') {
            continue;
        }
        const std::size_t blank = trimmed.find_first_of(" \t");
        names += trimmed.substr(0, blank) + "\r\n";
    }
    if (ReturnStr != nullptr) *ReturnStr = names;
    return true;
}

std::string Kro_Ado::DBSqlDataReName(const std::string& NewData) {
    if (!DBSqlSingleMode(true)) return "싱글모드 작업실패";
    std::string output =
        RunHousekeeping("exec sp_renamedb '" + InLiteral(context_.dbInfo.SqlDatabase) + "','" +
                        InLiteral(NewData) + "'");
    for (char& c : output) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool renamed = output.find("completed") != std::string::npos;
    std::string result = renamed ? "성공" : "실패";
    const std::string refusal = ErrDes;
    // Multi-user mode goes back on under the name the database has now; under the old name the
    // switch would fail and leave the renamed database in single-user mode.
    if (renamed) context_.dbInfo.SqlDatabase = NewData;
    if (!DBSqlSingleMode(false)) {
        result = "멀티모드 작업실패";
    } else if (!renamed) {
        ErrDes = refusal;
    }
    return result;
}

}  // namespace db
