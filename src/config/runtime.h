#pragma once
// The process-wide values that the configuration and every layer above it share: the platform,
// the dialogs, the utility object, the database-layer context, the three connections and the
// configuration object. app::Process extends it with the windows; a test builds a fresh one.
// Objects marked "on first use" are created by their accessor when missing.
#include <memory>
#include <string>

#include "db/connection.h"
#include "db/current_db_info.h"
#include "db/kro_ado.h"
#include "util/dialogs.h"
#include "util/kro_function.h"
#include "util/main_window_model.h"

namespace host {
class Host;
class Desktop;
}  // namespace host

namespace config {

class NorvConn;

// ReadOnly: the process only looks (`datapatch status`, `datapatch history`). Start-up and the
// configuration load then write no file, setting or configuration row, take no lock, and every
// database is opened for reading only.
enum class Access { ReadWrite, ReadOnly };

class Runtime {
  public:
    // Reads the login-resolution file of the program folder for the router.
    Runtime(host::Host& host, host::Desktop& desktop, Access access = Access::ReadWrite);
    virtual ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    host::Host& Host() { return host_; }
    host::Desktop& Desktop() { return desktop_; }
    util::Dialogs& Dialogs() { return dialogs_; }
    // What every Kro_Ado object of this process shares.
    const db::AdoContext& Ado() const { return ado_; }
    bool ReadOnly() const { return access_ == Access::ReadOnly; }

    // The utility object, on first use; ReleaseUtilities drops it (its shared state stays).
    util::Kro_Function& Utilities();
    void ReleaseUtilities();

    // The configuration object, on first use; ReleaseConfig drops it.
    NorvConn& Config();
    void ReleaseConfig();

    // The main window's state (lists, bars, labels); the windows and the command line draw it.
    util::frmDBPatchMainModel& MainWindow() { return mainWindow_; }

    std::string PatchReleaseDate = "20201221";
    std::string VersionText;
    std::string PatchVersionTag = "UpDate";
    std::string StoreCode = "0001";
    bool NewConfigFlag = true;
    // How long start-up's copy of the INI settings into the configuration table waits for
    // another program's write to end before it leaves the copy to the next start (seconds).
    int MirrorWaitSeconds = 10;

    db::ConnectionRef StoreConnection;
    db::ConnectionRef Data1Connection;
    db::ConnectionRef CentralConnection;
    // The "데이터1" connection as the connection set-up opens it; handed on as Data1Connection.
    db::ConnectionRef AdminConnection;

  private:
    Access access_;
    host::Host& host_;
    host::Desktop& desktop_;
    util::Dialogs dialogs_;
    db::CurrentDbInfo dbInfo_;
    db::AdoContext ado_;
    util::KroFunctionState utilityState_;
    std::unique_ptr<util::Kro_Function> utilities_;
    std::unique_ptr<NorvConn> config_;
    util::frmDBPatchMainModel mainWindow_;
};

}  // namespace config
