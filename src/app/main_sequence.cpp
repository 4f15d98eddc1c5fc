#include "app/main_sequence.h"

#include <algorithm>
#include <optional>

#include "app/process.h"
#include "config/config_save.h"
#include "config/norv_conn.h"
#include "db/error.h"
#include "db/kro_ado.h"
#include "db/login_resolver.h"
#include "db/router.h"
#include "history/cls_patch_hist.h"
#include "host/codepage.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/regional.h"
#include "util/vb_text.h"

namespace app {
namespace {

constexpr const char* kCentralUser = "sa";
constexpr const char* kCentralPassword = "zelk";

// The n-th character (counted from 1) of a UTF-8 text; empty when the text is shorter.
std::string_view CharacterAt(std::string_view text, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t i = 1; pos < text.size(); ++i) {
        const std::size_t len = std::max<std::size_t>(1, host::Utf8CharLength(text, pos));
        if (i == n) return text.substr(pos, len);
        pos += len;
    }
    return {};
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        pos += std::max<std::size_t>(1, host::Utf8CharLength(text, pos));
    }
    return count;
}

std::chrono::system_clock::time_point Now(const MainOptions& options) {
    return options.now ? options.now() : std::chrono::system_clock::now();
}

// The last patch date of the store database; nullopt when it cannot be read.
std::optional<std::string> StoreLastPatchDate(Process& process) {
    try {
        history::clsPatch_Hist history(process);
        return history.LastPatchDate();
    } catch (const db::DbError&) {
        return std::nullopt;
    }
}

StartupOutcome ConfigurationFailed(Process& process) {
    process.Desktop().Inform(kConfigurationFailedText);
    return StartupOutcome::ConfigurationFailed;
}

}  // namespace

bool TimeTextUsable(std::string_view text) {
    return CharacterCount(text) == 8 && CharacterAt(text, 3) == ":";
}

bool DateTextUsable(std::string_view text) {
    return CharacterCount(text) == 10 && CharacterAt(text, 5) == "-";
}

std::string SettleStoreCode(std::string_view configured) {
    if (util::Trim(configured).empty() || CharacterCount(configured) != 4) return kDefaultStoreCode;
    return std::string(configured);
}

bool FileOpenable(Process& process, std::string_view path) {
    return process.Utilities().FileExist(path);
}

void RelocateLegacyFiles(Process& process) {
    try {
        config::CopyLocalFilesToProductFolder(process.Utilities());
    } catch (const db::DbError&) {
        // Neither folder has NVConfig.INI: the configuration load says so and goes on with
        // its defaults.
    }
}

bool OpenCentralConnection(Process& process) {
    try {
        const db::LoginResolver& logins = process.Ado().router->Logins();
        db::Kro_Ado ado(process.Ado());
        return ado.DBConnection_SQL(process.CentralConnection, logins.CentralServer(),
                                    logins.CentralDatabase(), kCentralUser, kCentralPassword);
    } catch (const db::DbError&) {
        return false;
    }
}

bool OpenData1Connection(Process& process) {
    config::NorvConn& config = process.Config();
    return config.ActionConFigLoad_Admin(config, process.Data1Connection, nullptr);
}

db::ConnectionRef Data1ConnectionOrFailure(Process& process) {
    if (OpenData1Connection(process) && process.Data1Connection) return process.Data1Connection;
    config::NorvConn& config = process.Config();
    db::Kro_Ado ado(process.Ado());
    db::ConnectionRef cn;
    ado.DBConnection_SQL(cn, util::Trim(config.데이터_SQLServer_S),
                         util::Trim(config.데이터_SQLDataName_S), util::Trim(config.데이터_SQLID_S),
                         util::Trim(config.데이터_SQLPass_S), config.데이터_SQLConMode_S);
    return cn;
}

StartupOutcome PrepareStore(Process& process, const MainOptions& options) {
    // A look-only process (status, history) copies no file and takes no lock: it reads what
    // is there, also while a run holds the root.
    const bool writes = !process.ReadOnly();
    const std::string mainIni = process.Host().ProgramFolder() + "\\NVConfig.INI";
    if (writes && !FileOpenable(process, mainIni)) RelocateLegacyFiles(process);

    process.NewConfigFlag = true;

    if (writes && !process.AcquireInstanceLock()) {
        process.Desktop().Inform(kAlreadyRunningText, kAlreadyRunningTitle);
        return StartupOutcome::AlreadyRunning;
    }

    host::RegionalSettings& regional = process.Host().Regional();
    const auto now = Now(options);
    if (!TimeTextUsable(regional.FormatTime(now))) {
        process.Desktop().Inform(kTimeFormatText, kTimeFormatTitle);
        return StartupOutcome::TimeFormatRefused;
    }
    if (writes && !DateTextUsable(regional.FormatDate(now))) {
        regional.SetShortDateFormat(kShortDateFormat);
    }

    config::NorvConn& config = process.Config();
    if (!config.ActionConFigLoad_Basic(config, process.StoreConnection, false, nullptr)) {
        return ConfigurationFailed(process);
    }
    return StartupOutcome::Ready;
}

StartupResult Main(Process& process, const MainOptions& options) {
    StartupResult result;
    result.outcome = PrepareStore(process, options);
    if (result.outcome != StartupOutcome::Ready) return result;

    const std::optional<std::string> lastPatch = StoreLastPatchDate(process);
    if (!lastPatch) {
        result.outcome = ConfigurationFailed(process);
        return result;
    }
    if (*lastPatch < kMigrationBefore) {
        result.migrationStarted =
            process.Utilities().FileOpenEXE(process.Host().ProgramFolder() + "\\" + kMigrationTool);
        process.ReleaseUtilities();
        result.outcome = StartupOutcome::HandedToMigration;
        return result;
    }

    if (!process.Config().장비_온라인서비스) OpenCentralConnection(process);
    process.StoreCode = SettleStoreCode(process.Config().M_매장코드);

    process.ShowMainWindow();
    process.ReleaseUtilities();
    return result;
}

}  // namespace app
