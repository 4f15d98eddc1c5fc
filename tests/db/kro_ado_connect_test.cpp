// Kro_Ado's connection operations: the exact connection strings, modes and timeouts, the shared
// connection record, the server-connected flag and the reconnects.
#include <gtest/gtest.h>

#include <map>

#include "db/ado_world.h"
#include "db/embedded/case_file.h"
#include "db/kro_ado.h"
#include "db/odbc/sqlite_odbc.h"
#include "db/recordset.h"

namespace db_test {
namespace {

class KroAdoConnectTest : public AdoWorld {
  protected:
    void SetUp() override {
        MakeServerDatabase("STORE", {"CREATE TABLE T (A INT)"});
        MakeMdb({"CREATE TABLE T (A LONG)"});
    }
};

// The connections of tables/kro_ado_connections.txt: each kind writes only its own fields of the
// shared record, so the server's stay through the last connection, an MDB's.
TEST_F(KroAdoConnectTest, ConnectionTextsModesAndTimeouts) {
    for (const auto& block : db::embedded::testing::LoadBlocks("tables/kro_ado_connections.txt")) {
        std::map<std::string, std::string> c(block.begin(), block.end());
        const bool mdb = c["kind"] == "mdb";
        const int option = std::stoi(c["option"]), timeout = std::stoi(c["timeout"]);
        db::Kro_Ado ado(context_);
        db::ConnectionRef cn;
        ASSERT_TRUE(
            mdb ? ado.DBConnection_MDB(cn, kMdbPath, kMdbPassword, option, timeout)
                : ado.DBConnection_SQL(cn, kServer, "STORE", "kim", "ignored", option, timeout))
            << ado.ErrDes;
        SCOPED_TRACE(c["text"]);
        EXPECT_EQ(cn->ConnectionString, c["text"]);
        EXPECT_EQ(cn->Mode, 3);
        EXPECT_EQ(cn->CommandTimeout, std::stoi(c["command timeout"]));
        EXPECT_EQ(ado.DataType(), mdb ? 0 : 1);
        EXPECT_EQ(dbInfo_.Kind, mdb ? 0 : 1);
        EXPECT_EQ(ado.IsServerConnect(cn), !mdb);
        if (mdb) {
            EXPECT_EQ(cn->CursorLocation, 2);
            EXPECT_EQ(ado.OwnConnection(), cn);
            EXPECT_EQ(dbInfo_.MdbVersion, option);
        }
    }
    EXPECT_EQ(dbInfo_.MdbPath, kMdbPath);
    EXPECT_EQ(dbInfo_.MdbPassword, kMdbPassword);
    EXPECT_EQ(dbInfo_.SqlServer, kServerAddress);
    EXPECT_EQ(dbInfo_.SqlDatabase, "STORE");
    EXPECT_EQ(dbInfo_.SqlUserId, "sa");
    EXPECT_EQ(dbInfo_.SqlPassword, kServerPassword);
}

TEST_F(KroAdoConnectTest, FailedConnectionsFillTheErrorFieldsAndClearTheFlagOfThatObjectOnly) {
    db::Kro_Ado ado(context_);
    db::ConnectionRef good, bad;
    ASSERT_TRUE(ado.DBConnection_SQL(good, kServer, "STORE", "", ""));
    ASSERT_TRUE(ado.IsServerConnect(good));

    EXPECT_FALSE(ado.DBConnection_SQL(bad, kServer, "MISSING", "", ""));
    EXPECT_EQ(good->State(), db::ObjectState::Open);
    EXPECT_FALSE(ado.IsServerConnect(good));
    EXPECT_FALSE(ado.IsServerConnect(bad));
    EXPECT_EQ(ado.ErrNo.AsInt(), db::ErrorNumber::kUnspecified);
    EXPECT_NE(ado.ErrDes.find("MISSING"), std::string::npos);
    EXPECT_EQ(ado.ErrDetails, "4060");
    EXPECT_FALSE(ado.ErrSou.empty());
    EXPECT_EQ(ado.ErrDB, "42000");
    EXPECT_FALSE(std::filesystem::exists(ServerFile("MISSING")));

    db::Kro_Ado other(context_);  // another object knows nothing of that flag
    db::ConnectionRef c;
    ASSERT_TRUE(other.DBConnection_SQL(c, kServer, "STORE", "", ""));
    EXPECT_TRUE(other.IsServerConnect(c));

    // An unknown server leaves the new, unopened connection; a success clears no error field.
    EXPECT_FALSE(other.DBConnection_SQL(c, "UNKNOWN-PC", "STORE", "sa", "x"));
    EXPECT_NE(other.ErrDes.find("UNKNOWN-PC"), std::string::npos);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->State(), db::ObjectState::Closed);
    ASSERT_TRUE(other.DBConnection_MDB(c, kMdbPath, kMdbPassword, 0));
    EXPECT_NE(other.ErrDes.find("UNKNOWN-PC"), std::string::npos);
    EXPECT_FALSE(other.DBConnection_MDB(c, kMdbPath, "wrong", 0));
    EXPECT_EQ(other.ErrNo.AsInt(), db::ErrorNumber::kUnspecified);
    EXPECT_EQ(other.DataType(), 0);
}

TEST_F(KroAdoConnectTest, FileSourcesNeedAConfiguredDriver) {
    EXPECT_FALSE(ado_.DBConnection_EXCEL(cn_, "C:\\xls\\a.xls", "C:\\xls"));
    EXPECT_EQ(cn_->ConnectionString,
              "Driver={Microsoft Excel Driver (*.xls)};DriverId=790;Dbq=C:\\xls\\a.xls;"
              "DefaultDir=C:\\xls;");
    EXPECT_EQ(cn_->CommandTimeout, 600);
    EXPECT_NE(ado_.ErrDes.find("Excel"), std::string::npos);

    EXPECT_FALSE(ado_.DBConnection_FOX(cn_, "C:\\dbf"));
    EXPECT_EQ(cn_->ConnectionString,
              "Provider=Microsoft.Jet.OLEDB.4.0; Data Source = C:\\dbf;Extended "
              "Properties=DBASE IV;");
    EXPECT_NE(ado_.ErrDes.find("dBase"), std::string::npos);

    EXPECT_FALSE(ado_.DBConnection_PARADOXS(cn_, "C:\\px"));
    EXPECT_EQ(cn_->ConnectionString,
              "Driver={Microsoft Paradox Driver (*.db)};DriverID=538;Fil=Paradox 5.X;"
              "DefaultDir=C:\\px;Dbq=C:\\px;CollatingSequence=ASCII;");
    EXPECT_NE(ado_.ErrDes.find("Paradox"), std::string::npos);
    EXPECT_EQ(ado_.ErrNo.AsInt(), db::ErrorNumber::kUnspecified);
    EXPECT_EQ(ado_.OwnConnection(), nullptr);
}

TEST_F(KroAdoConnectTest, ConnectServerReReplacesTheConnectionBehindTheWaitWindow) {
    ASSERT_TRUE(ado_.DBConnection_MDB(cn_, kMdbPath, kMdbPassword, 0));
    const db::ConnectionRef before = cn_;
    std::string shownText;
    desktop_.OnDoEvents([&] {
        if (auto* w = dialogs_.LoadedMessageWindow(); w && w->Shown()) shownText = w->panMsg;
    });

    EXPECT_TRUE(ado_.ConnectServerRe(cn_));
    EXPECT_EQ(shownText, "서버와 연결이 종료되어 재연결 시도 중입니다.");
    EXPECT_NE(cn_, before);
    EXPECT_EQ(cn_->ConnectionString, before->ConnectionString);
    EXPECT_EQ(cn_->CursorLocation, 3);
    EXPECT_EQ(cn_->ConnectionTimeout, 10);
    EXPECT_EQ(cn_->CommandTimeout, 10);
    EXPECT_TRUE(ado_.IsServerConnect(cn_));  // a reconnect sets the flag, whatever the kind
    EXPECT_EQ(dialogs_.LoadedMessageWindow(), nullptr);
    EXPECT_EQ(desktop_.CurrentMousePointer(), host::MousePointer::Default);

    EXPECT_TRUE(ado_.ConnectServerRe(cn_, 5));
    EXPECT_EQ(cn_->ConnectionTimeout, 5);

    // A failed reconnect (after "No", Kro_Ado's statement tests) also takes the window down.
    db::ConnectionRef none;
    EXPECT_FALSE(ado_.ConnectServerRe(none));
    EXPECT_EQ(dialogs_.LoadedMessageWindow(), nullptr);
}

// A new connection would throw the work of an open transaction away: a live connection inside
// one is kept, and only takes the reconnect's command timeout.
TEST_F(KroAdoConnectTest, ConnectServerReKeepsALiveConnectionInsideATransaction) {
    ASSERT_TRUE(ConnectSql(ado_, cn_));
    cn_->Execute("CREATE TABLE 기록 (번호 INT)");
    const db::ConnectionRef before = cn_;
    cn_->BeginTrans();
    cn_->Execute("INSERT INTO 기록 VALUES (1)");
    EXPECT_TRUE(ado_.ConnectServerRe(cn_));
    EXPECT_EQ(cn_, before);
    EXPECT_TRUE(cn_->InTransaction());
    EXPECT_EQ(cn_->CommandTimeout, 10);
    EXPECT_TRUE(ado_.IsServerConnect(cn_));
    EXPECT_EQ(dialogs_.LoadedMessageWindow(), nullptr);
    cn_->RollbackTrans();
    db::RecordSet rs;
    rs.Open("SELECT COUNT(*) AS n FROM 기록", *cn_);
    EXPECT_EQ(rs["n"].AsInt(), 0);
    rs.Close();

    // Outside a transaction the connection is replaced as always.
    EXPECT_TRUE(ado_.ConnectServerRe(cn_));
    EXPECT_NE(cn_, before);
}

TEST_F(KroAdoConnectTest, DBReConnectIsQuiet) {
    ASSERT_TRUE(ConnectSql(ado_, cn_));
    const auto callsBefore = desktop_.Calls().size();
    const db::ConnectionRef before = cn_;

    EXPECT_TRUE(ado_.DBReConnect(cn_));
    EXPECT_NE(cn_, before);
    EXPECT_EQ(before->State(), db::ObjectState::Closed);
    EXPECT_EQ(cn_->ConnectionTimeout, 10);
    EXPECT_EQ(cn_->CursorLocation, 3);
    EXPECT_FALSE(ado_.IsServerConnect(cn_));  // the flag is cleared and not set again
    EXPECT_EQ(desktop_.Calls().size(), callsBefore);

    EXPECT_TRUE(ado_.DBReConnect(cn_, 20));
    EXPECT_EQ(cn_->ConnectionTimeout, 20);

    db::ConnectionRef empty = std::make_shared<db::Connection>(router_);
    EXPECT_FALSE(ado_.DBReConnect(empty));
    db::ConnectionRef none;
    EXPECT_FALSE(ado_.DBReConnect(none));
}

// --- sources served through ODBC (Debian's SQLite ODBC driver stands in for the real drivers) ---

class KroAdoOdbcTest : public AdoWorld {
  protected:
    static std::string Logins(const std::filesystem::path& file) {
        std::string driver;
        odbc_test::SqliteConnectionString(file, driver);
        return DefaultLoginText() + "[HQ]\r\nEngine=odbc:" + driver +
               "\r\n[Drivers]\r\nExcel=" + driver + "\r\n";
    }
    KroAdoOdbcTest() : AdoWorld(Logins(scratch_.Path() / "odbc.sqlite")) {}
    void SetUp() override { ASSERT_FALSE(odbc_test::SqliteOdbcDriver().empty()); }

    static inline odbc_test::ScratchFolder scratch_;
};

TEST_F(KroAdoOdbcTest, ExcelOpensThroughTheConfiguredDriver) {
    ASSERT_TRUE(ado_.DBConnection_EXCEL(cn_, "C:\\xls\\a.xls", "C:\\xls", 30)) << ado_.ErrDes;
    EXPECT_EQ(cn_->CommandTimeout, 30);
    EXPECT_EQ(ado_.DataType(), 2);
    EXPECT_EQ(dbInfo_.Kind, 2);
    EXPECT_EQ(dbInfo_.ExcelPath, "C:\\xls\\a.xls");
    EXPECT_EQ(dbInfo_.ExcelDir, "C:\\xls");
    EXPECT_EQ(cn_->SqlDialect(), db::Dialect::Jet);
}

TEST_F(KroAdoOdbcTest, OdbcServerAnswersSchemaQuestionsWithItsOwnProcedures) {
    ASSERT_TRUE(ado_.DBConnection_SQL(cn_, "HQ", "NVMAIN", "", "")) << ado_.ErrDes;
    EXPECT_EQ(cn_->SqlDialect(), db::Dialect::SqlServer);
    cn_->Execute("CREATE TABLE 상품 (코드 VARCHAR(10))");
    EXPECT_TRUE(ado_.TableFind("상품"));  // the catalogue, on every engine
    // The column listing goes to the server's procedure, which this stand-in does not have.
    EXPECT_EQ(ado_.FieldNameGet("상품"), "ERR");
    EXPECT_THROW(ado_.TableNameGet(), db::DbError);
}

TEST_F(KroAdoOdbcTest, StatementFailingOnASoundLinkIsNotTakenForALostOne) {
    ASSERT_TRUE(ado_.DBConnection_SQL(cn_, "HQ", "NVMAIN", "", "")) << ado_.ErrDes;
    const db::ConnectionRef before = cn_;
    // SQLite's integer overflow comes from its driver as HY000 with the generic number, which is
    // no lost connection: the statement is given up on the same connection.
    EXPECT_EQ(ado_.RunSql(cn_, "SELECT abs(-9223372036854775808)"), 0);
    EXPECT_EQ(cn_.get(), before.get()) << "reconnected";
    ASSERT_FALSE(cn_->Errors().empty());
    EXPECT_EQ(cn_->Errors().front().number, db::ErrorNumber::kUnspecified);
    EXPECT_EQ(cn_->Errors().front().sqlState, "HY000");
    EXPECT_TRUE(desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox).empty());
}

}  // namespace
}  // namespace db_test
