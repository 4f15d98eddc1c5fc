#include "db/central_login.h"
#include "db/kro_ado.h"
#include "db/router.h"
#include "host/desktop.h"
#include "util/dialogs.h"

namespace db {
namespace {

constexpr int kModeReadWrite = 3;
constexpr int kCursorClient = 3;
constexpr int kLeaveAsIs = -1;
constexpr const char* kReconnectText = "서버와 연결이 종료되어 재연결 시도 중입니다.";

int CommandTimeoutFor(int conTimeOut) {
    return conTimeOut > 0 ? conTimeOut : 600;
}

// A connection on the same connection string as `old`, not yet opened.
ConnectionRef Fresh(const Connection& old, int connectTimeout, int commandTimeout) {
    auto cn = std::make_shared<Connection>(old.SharedRouter());
    cn->CursorLocation = kCursorClient;
    cn->ConnectionString = old.ConnectionString;
    cn->ConnectionTimeout = connectTimeout;
    if (commandTimeout != kLeaveAsIs) cn->CommandTimeout = commandTimeout;
    return cn;
}

}  // namespace

Kro_Ado::Kro_Ado(const AdoContext& context) : context_(context) {}

bool Kro_Ado::OpenNew(ConnectionRef& cn, const std::string& connectionString, int mode,
                      int commandTimeout) {
    cn = std::make_shared<Connection>(context_.router);
    cn->ConnectionString = connectionString;
    if (mode != kLeaveAsIs) cn->Mode = mode;
    if (commandTimeout != kLeaveAsIs) cn->CommandTimeout = commandTimeout;
    try {
        cn->Open();
    } catch (const DbError& e) {
        RecordFailure(cn, &e);
        return false;
    }
    if (cn->State() != ObjectState::Open) {
        RecordFailure(cn, nullptr);
        return false;
    }
    return true;
}

void Kro_Ado::RecordFailure(const ConnectionRef& cn, const DbError* runtime) {
    if (cn && !cn->Errors().empty()) {
        const ErrorEntry& first = cn->Errors().front();
        ErrNo = util::Variant(static_cast<std::int64_t>(first.number));
        ErrDes = first.description;
        ErrDetails = std::to_string(first.nativeError);
        ErrSou = first.source;
        ErrDB = first.sqlState;
    } else if (runtime) {
        ErrNo = util::Variant(static_cast<std::int64_t>(runtime->Number()));
        ErrDes = runtime->Description();
        ErrSou = runtime->Source();
    }
}

void Kro_Ado::Adopt(const ConnectionRef& cn, int kind) {
    own_ = cn;
    kind_ = kind;
    try {
        ownOnOdbc_ = cn->RouterRef().Plan(cn->ConnectionString).engine == Route::Engine::Odbc;
    } catch (const DbError&) {
        ownOnOdbc_ = false;
    }
}

bool Kro_Ado::DBConnection_MDB(ConnectionRef& cn, const std::string& MDB_PATH,
                               const std::string& password, int MDBVERSION, int ConTimeOut) {
    const std::string version = MDBVERSION == 0 ? "4.0" : "3.51";
    const std::string text = "Provider=Microsoft.Jet.OLEDB." + version +
                             ";Persist Security Info=True" + ";Data Source=" + MDB_PATH +
                             ";jet oledb" + ":database Password=" + password;
    if (!OpenNew(cn, text, kModeReadWrite, CommandTimeoutFor(ConTimeOut))) return false;
    Adopt(cn, 0);
    mdbVersion_ = MDBVERSION;
    context_.dbInfo.RecordMdb(MDB_PATH, password, MDBVERSION);
    return true;
}

bool Kro_Ado::DBConnection_SQL(ConnectionRef& cn, std::string SQL_Server, std::string SQL_DATABASE,
                               std::string SQL_USERID, std::string SQL_USERPASSWORD, int NewWorkLB,
                               int ConTimeOut, bool /*NvMainYN*/) {
    serverConnected_ = false;
    ApplyCentralLoginDefaults(context_.router->Logins(), SQL_Server, SQL_DATABASE, SQL_USERID,
                              SQL_USERPASSWORD);
    std::string text = "Provider=SQLOLEDB;" + std::string("User ID=") + SQL_USERID + ";" +
                       "Initial Catalog=" + SQL_DATABASE + ";" + "Data Source=" + SQL_Server + ";" +
                       "Password=" + SQL_USERPASSWORD + ";";
    // TCP/IP unless the caller leaves the network library to the client's configuration.
    if (NewWorkLB == 0) text += "Network Library=dbmssocn";
    if (!OpenNew(cn, text, kModeReadWrite, CommandTimeoutFor(ConTimeOut))) {
        serverConnected_ = false;
        return false;
    }
    Adopt(cn, 1);
    context_.dbInfo.RecordSql(SQL_Server, SQL_DATABASE, SQL_USERID, SQL_USERPASSWORD);
    serverConnected_ = true;
    return true;
}

bool Kro_Ado::DBConnection_EXCEL(ConnectionRef& cn, const std::string& EXCEL_PATH,
                                 const std::string& EXCELDir, int ConTimeOut) {
    const std::string text = "Driver={Microsoft Excel Driver (*.xls)};" +
                             std::string("DriverId=790;") + "Dbq=" + EXCEL_PATH + ";" +
                             "DefaultDir=" + EXCELDir + ";";
    if (!OpenNew(cn, text, kModeReadWrite, CommandTimeoutFor(ConTimeOut))) return false;
    Adopt(cn, 2);
    context_.dbInfo.RecordExcel(EXCEL_PATH, EXCELDir);
    return true;
}

bool Kro_Ado::DBConnection_FOX(ConnectionRef& cn, const std::string& PATH) {
    const std::string text = "Provider=Microsoft.Jet.OLEDB.4.0; " + std::string("Data Source = ") +
                             PATH + ";" + "Extended Properties=DBASE IV;";
    if (!OpenNew(cn, text, kLeaveAsIs, kLeaveAsIs)) return false;
    Adopt(cn, 1);
    context_.dbInfo.RecordFox(PATH);
    return true;
}

bool Kro_Ado::DBConnection_PARADOXS(ConnectionRef& cn, const std::string& PATH) {
    const std::string text = "Driver={Microsoft Paradox Driver (*.db)};" +
                             std::string("DriverID=538;") + "Fil=Paradox 5.X;" +
                             "DefaultDir=" + PATH + ";" + "Dbq=" + PATH + ";" +
                             "CollatingSequence=ASCII;";
    if (!OpenNew(cn, text, kLeaveAsIs, kLeaveAsIs)) return false;
    Adopt(cn, 1);
    context_.dbInfo.RecordParadox(PATH);
    return true;
}

bool Kro_Ado::IsServerConnect(const ConnectionRef& cn) const {
    return cn && cn->State() != ObjectState::Closed && serverConnected_;
}

bool Kro_Ado::ConnectServerRe(ConnectionRef& dbConnect, int iCnTime) {
    serverConnected_ = false;
    context_.dialogs.ShowMessageWindow(kReconnectText);
    context_.desktop.DoEvents();
    bool reconnected = false;
    try {
        if (dbConnect && dbConnect->InTransaction() && dbConnect->State() == ObjectState::Open &&
            dbConnect->Engine().Alive()) {
            // A new connection would throw the open transaction's work away (and wait on its
            // locks): a live link inside a transaction is kept, with the reconnect's timeout.
            dbConnect->CommandTimeout = 10;
            serverConnected_ = true;
            reconnected = true;
        } else if (dbConnect) {
            dbConnect = Fresh(*dbConnect, iCnTime == 0 ? 10 : iCnTime, 10);
            dbConnect->Open();
            context_.desktop.SetMousePointer(host::MousePointer::Default);
            serverConnected_ = true;
            reconnected = dbConnect->State() == ObjectState::Open;
        }
    } catch (const DbError&) {
        serverConnected_ = false;
        reconnected = false;
    }
    context_.dialogs.UnloadMessageWindow();
    return reconnected;
}

bool Kro_Ado::DBReConnect(ConnectionRef& cn, int ConTimeOut) {
    if (!cn || cn->ConnectionString.empty()) return false;
    try {
        serverConnected_ = false;
        cn->Close();
        cn = Fresh(*cn, ConTimeOut < 1 ? 10 : ConTimeOut, kLeaveAsIs);
        cn->Open();
        return cn->State() == ObjectState::Open;
    } catch (const DbError&) {
        return false;
    }
}

}  // namespace db
