#include "config/connection_setup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "config/config_errors.h"
#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/error.h"
#include "db/kro_ado.h"
#include "host/desktop.h"
#include "host/host.h"
#include "host/net_drives.h"
#include "util/vb_text.h"

namespace config {
namespace {

constexpr const char* kMdbPassword = "kelp2093";

constexpr std::string_view kMessages[] = {
    "해당 폴더에 데이터가 없습니다",
    "네트워크가 연결되어 있지 않거나 서버 피씨의 해당 폴더에 데이터가 없습니다",
    "SQL이 설치된 피씨가 꺼져있거나, SQL-Service관리자가 꺼져있습니다",
    "데이터가 정상적으로 열리지 않습니다",
};

bool IsOpen(const db::ConnectionRef& cn) {
    return cn && cn->State() == db::ObjectState::Open;
}

// A plain directory lookup: the path names an existing file.
bool FileFound(Runtime& rt, std::string_view windowsPath) {
    const auto native = rt.Host().Native(windowsPath);
    std::error_code ec;
    return native && std::filesystem::is_regular_file(*native, ec);
}

int MissingFileKind(Runtime& rt, const std::string& path) {
    if (path.starts_with("\\\\")) return ConnectionErrorKind::kNetworkFolder;
    std::string remote;
    const std::int32_t rc = GetNetworkDrivePath(rt, std::string_view(path).substr(0, 2), remote);
    return rc != host::net_result::kOk && rc != host::net_result::kNotConnected
               ? ConnectionErrorKind::kNetworkFolder
               : ConnectionErrorKind::kNoDataInFolder;
}

}  // namespace

std::string_view ConnectionErrorMessage(int kind) {
    const int last = static_cast<int>(std::size(kMessages)) - 1;
    return kMessages[kind >= 0 && kind < last ? kind : last];
}

bool ConnectStoreDatabase(Runtime& rt, NorvConn& config) {
    config.데이터_종류 = config.LoadedDataKind();
    std::int16_t target = 0;
    if (!CheckDataPath(rt, config, target)) return false;
    db::Kro_Ado ado(rt.Ado());
    if (config.데이터_종류 == 0) {
        const std::string path = util::Trim(config.데이터_MDBPath);
        // Connecting a drive letter is remembered in the settings; a look-only process reaches
        // the path as it is.
        if (config.데이터_네트웍사용여부 == 0 && !rt.ReadOnly()) {
            rt.Utilities().NetDirCon(util::Trim(config.데이터_네트웍Pass),
                                     util::Trim(config.데이터_네트웍계정), path);
        }
        ado.DBConnection_MDB(rt.StoreConnection, path, kMdbPassword, config.데이터_네트웍사용여부);
    } else if (config.데이터_종류 == 1) {
        ado.DBConnection_SQL(rt.StoreConnection, util::Trim(config.데이터_SQLServer),
                             util::Trim(config.데이터_SQLDataName), util::Trim(config.데이터_SQLID),
                             util::Trim(config.데이터_SQLPass), config.데이터_SQLConMode);
    }
    const bool open = IsOpen(rt.StoreConnection);
    if (!open && !config.M_MDECCHK.empty()) {
        std::int32_t kind = ConnectionErrorKind::kNotOpened;
        ShowConnectionError(rt, kind);
    }
    return open;
}

bool ConnectStoreDatabase(Runtime& rt) {
    return ConnectStoreDatabase(rt, rt.Config());
}

bool CheckDataPath(Runtime& rt, const NorvConn& config, std::int16_t& target) {
    if (target != 0) return false;
    try {
        if (config.데이터_종류 != 0) return true;
        const std::string path = util::Trim(config.데이터_MDBPath);
        if (FileFound(rt, path)) return true;
        std::int32_t kind = MissingFileKind(rt, path);
        ShowConnectionError(rt, kind);
    } catch (const std::exception&) {
    }
    return false;
}

std::int32_t GetNetworkDrivePath(Runtime& rt, std::string_view drive, std::string& remote) {
    std::int32_t rc = host::net_result::kBadDevice;
    try {
        std::string found;
        if (drive.size() == 2 && drive[1] == ':') {
            rc = rt.Host().Drives().GetConnection(drive[0], found);
        }
        remote = rc == host::net_result::kOk ? util::Trim(found) : "\\" + std::string(drive);
    } catch (const std::exception&) {
        return 0;
    }
    return rc;
}

void ShowConnectionError(Runtime& rt, std::int32_t& kind) {
    rt.Desktop().Inform(ConnectionErrorMessage(kind), kConnectionErrorTitle,
                        host::MsgIcon::Critical);
    // The test tool is started for someone who is about to change things, not for a look.
    if (rt.ReadOnly()) return;
    const std::string tool = rt.Host().ProgramFolder() + "\\" + kConnectionTestTool;
    if (FileFound(rt, tool)) rt.Host().Start(tool, {}, false);
}

bool ConnectAdminDatabase(Runtime& rt, NorvConn& config) {
    db::ConnectionRef& cn = rt.AdminConnection;
    if (cn && !util::Trim(cn->ConnectionString).empty() && IsOpen(cn)) return true;
    db::Kro_Ado ado(rt.Ado());
    if (ado.DBConnection_SQL(cn, util::Trim(config.데이터_SQLServer_S),
                             util::Trim(config.데이터_SQLDataName_S),
                             util::Trim(config.데이터_SQLID_S), util::Trim(config.데이터_SQLPass_S),
                             config.데이터_SQLConMode_S)) {
        return true;
    }
    cn.reset();
    std::int32_t kind = ConnectionErrorKind::kSqlServerDown;
    ShowConnectionError(rt, kind);
    return false;
}

bool ConnectAdminDatabase(Runtime& rt) {
    return ConnectAdminDatabase(rt, rt.Config());
}

std::uint8_t TextToByte(const util::Variant& value) {
    std::string text = value.AsText();
    if (text.empty() || text.front() == '-') return 0;
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    const double number = util::Val(text);
    if (!(number > 0)) return 0;
    // 255.5 rounds (half to even) to 256.
    if (number >= 255.5) throw db::DbError(ConfigError::kOverflow, "Overflow");
    return static_cast<std::uint8_t>(util::Variant(number).AsInt());
}

}  // namespace config
