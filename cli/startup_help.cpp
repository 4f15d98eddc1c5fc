#include "startup_help.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <system_error>

#include "app/process.h"
#include "config/norv_conn.h"
#include "host/file_io.h"
#include "host/host.h"
#include "host/profile.h"
#include "host/regional.h"
#include "host/settings_store.h"
#include "util/vb_text.h"

namespace cli {
namespace {

constexpr const char* kMainIni = "\\NVConfig.INI";
constexpr const char* kRegionalSection = "Regional";
constexpr const char* kTimeFormatKey = "sTimeFormat";
constexpr const char* kWantedTimeFormat = "HH:mm:ss";

std::string NativeText(const host::Host& host, const std::string& windowsPath) {
    const auto native = host.Native(windowsPath);
    return native ? native->string() : windowsPath;
}

bool Exists(const host::Host& host, const std::string& windowsPath) {
    const auto native = host.Native(windowsPath);
    std::error_code ec;
    return native && std::filesystem::exists(*native, ec);
}

// Where the time format came from: the settings file, else the locale variable that set it.
std::string TimeFormatSource(host::Host& host) {
    if (!host.Settings().Get(kRegionalSection, kTimeFormatKey).empty()) {
        return std::string(kTimeFormatKey) + " in [" + kRegionalSection + "] of " +
               host.Settings().File().string();
    }
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return std::string("the locale ") + variable + "=" + value;
        }
    }
    return "the locale";
}

std::string TimeFormatProblem(app::Process& process) {
    host::Host& host = process.Host();
    std::ostringstream out;
    out << "the time format \"" << host.Regional().TimeFormat() << "\" (from "
        << TimeFormatSource(host) << ") does not give HH:MM:SS, which the program needs.\n"
        << "put the line " << kTimeFormatKey << "=" << kWantedTimeFormat << " in the ["
        << kRegionalSection << "] section of " << host.Settings().File().string()
        << " (or start datapatch with LC_ALL=C.UTF-8).";
    return out.str();
}

// Where the setting comes from: the INI's key, or the built-in default when the key is not there
// (an empty or unreadable file says nothing else either).
std::string SettingSource(const std::string& key, const std::string& iniPath) {
    constexpr std::string_view kMissing = "\x01";
    if (host::GetPrivateProfileString("DATA", key, kMissing, 255, iniPath) == kMissing) {
        return "[DATA] " + key + " is not set in " + iniPath + ", so the built-in default is used";
    }
    return "it is named by " + key + " in [DATA] of " + iniPath;
}

std::string ConfigurationProblem(app::Process& process) {
    host::Host& host = process.Host();
    const std::string ini = host.ProgramFolder() + kMainIni;
    const std::string iniPath = NativeText(host, ini);
    std::ostringstream out;
    if (!Exists(host, ini)) {
        out << "no store configuration: " << iniPath << " (" << ini << " under the root "
            << host.Root().string() << ") does not exist.\n"
            << "name the store's root with --root DIR (or DATAPATCH_ROOT), or make a demo store "
               "there: datapatch demo --root "
            << host.Root().string();
        return out.str();
    }
    if (const auto native = host.Native(ini);
        native && !std::filesystem::is_regular_file(*native)) {
        out << "no store configuration: " << iniPath
            << " is a folder (or another kind of file), not the store's NVConfig.INI.\n"
            << "put the store's NVConfig.INI there.";
        return out.str();
    }
    config::NorvConn& config = process.Config();
    const bool mdb = config.데이터_종류 == 0;
    const std::string setting =
        mdb ? "데이터_MDBPath=" + util::Trim(config.데이터_MDBPath)
            : "데이터_SQLServer=" + util::Trim(config.데이터_SQLServer) +
                  " and 데이터_SQLDataName=" + util::Trim(config.데이터_SQLDataName);
    const db::ConnectionRef& cn = process.StoreConnection;
    if (cn && cn->State() != db::ObjectState::Open && !cn->Errors().empty()) {
        const db::ErrorEntry& error = cn->Errors().front();
        out << "the store database cannot be opened: " << error.description << "\n";
        // The engine keeps its journal beside the database: a folder this user cannot write
        // fails the opening, whatever the setting says.
        const auto native = mdb ? host.Native(util::Trim(config.데이터_MDBPath)) : std::nullopt;
        std::error_code ec;
        if (native && std::filesystem::is_regular_file(*native, ec) &&
            !host::CanWrite(native->parent_path())) {
            out << "the folder " << native->parent_path().string()
                << " cannot be written by this user, and the database engine keeps its journal "
                   "there beside the database; give the user write access to the folder.";
            return out.str();
        }
        // SQLite's busy and locked, SQL Server's lock time-out: the setting is right.
        constexpr int kSqliteBusy = 5, kSqliteLocked = 6, kServerLockTimeout = 1222;
        const int primary = error.nativeError & 0xff;
        if (primary == kSqliteBusy || primary == kSqliteLocked ||
            error.nativeError == kServerLockTimeout ||
            error.description.find("is locked") != std::string::npos) {
            out << "another program holds it locked (the store software, a support tool); close "
                   "that program and run again.";
            return out.str();
        }
        out << SettingSource(mdb ? "데이터_MDBPath" : "데이터_SQLServer", iniPath) << " ("
            << setting << "); correct the setting or the database.";
        return out.str();
    }
    if (mdb && !cn) {
        const std::string path = util::Trim(config.데이터_MDBPath);
        if (!Exists(host, path)) {
            out << "the store database " << path << " (" << NativeText(host, path)
                << ") does not exist.\n"
                << SettingSource("데이터_MDBPath", iniPath)
                << "; correct the setting or put the database there.";
            return out.str();
        }
        if (const auto native = host.Native(path);
            native && std::filesystem::is_directory(*native)) {
            out << "the store database " << path << " (" << native->string()
                << ") is a folder, not a database file.\n"
                << SettingSource("데이터_MDBPath", iniPath)
                << "; name the database file itself (for example " << path << "\\DatMain.mdb).";
            return out.str();
        }
    }
    if (!config.LoadError().empty()) {
        const std::string& table = config.ConfigTableName();
        out << "the configuration " << (table.empty() ? "" : "table " + table + " ")
            << "of the store database (" << setting << " in " << iniPath
            << ") could not be loaded: " << config.LoadError()
            << ".\ncorrect the table, or put the database back from a backup (datapatch "
               "restore).";
        return out.str();
    }
    out << "the configuration of the store database (" << setting << " in " << iniPath
        << ") could not be loaded; the message above says why.";
    return out.str();
}

}  // namespace

std::string StartupProblem(app::Process& process, app::StartupOutcome outcome) {
    switch (outcome) {
        case app::StartupOutcome::TimeFormatRefused:
            return TimeFormatProblem(process);
        case app::StartupOutcome::ConfigurationFailed:
            return ConfigurationProblem(process);
        case app::StartupOutcome::AlreadyRunning:
            return "another datapatch is running on the root " + process.Host().Root().string() +
                   "; try again when it has ended.";
        default:
            return "";
    }
}

void ExplainStartupEnd(app::Process& process, app::StartupOutcome outcome, std::ostream& err) {
    std::istringstream lines(StartupProblem(process, outcome));
    for (std::string line; std::getline(lines, line);) err << "datapatch: " << line << "\n";
}

}  // namespace cli
