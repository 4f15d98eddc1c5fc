#include "demo/demo_environment.h"

#include <filesystem>
#include <stdexcept>

#include "demo/config_template.h"
#include "demo/old_store_layout.h"
#include "host/codepage.h"
#include "host/file_io.h"
#include "host/host.h"
#include "host/regional.h"

namespace demo {
namespace {

constexpr const char* kPrinterIniPath = "C:\\Windows\\System32\\zentrix_s_sys.ini";
constexpr const char* kCentralPassword = "zelk";
constexpr const char* kTimeFormat = "HH:mm:ss";

// clang-format off
// The configuration values of the demo store, by item name (신규명).
struct Setting {
    const char* item;
    const char* value;
};
constexpr Setting kDemoSettings[] = {
    {"매장수", "2"},
    {"데이터_SQLServer_S", kDemoServer},
    {"데이터_SQLDataName_S", kDemoData1Database},
    {"데이터_SQLID_S", "sa"},
    {"데이터_SQLPass_S", kDemoServerPassword},
};
// clang-format on

void WriteFile(const host::Host& host, const std::string& windowsPath, const std::string& bytes) {
    const auto file = host.Native(windowsPath);
    if (!file) throw std::invalid_argument("not a usable Windows path: " + windowsPath);
    std::filesystem::create_directories(file->parent_path());
    if (!host::ReplaceFileAtomically(*file, bytes)) {
        throw std::runtime_error("cannot write " + file->string());
    }
}

// Lines joined with CR LF, in code page 949.
std::string IniBytes(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return host::Utf8ToCp949(text);
}

std::string MainIni(StoreKind kind) {
    const std::string mode = kind == StoreKind::SqlServer ? "1" : "0";
    return IniBytes({
        "[DATA]",
        "데이터_종류=" + mode,
        std::string("데이터_MDBPath=") + kDemoMdbPath,
        "데이터_네트웍사용여부=1",
        "데이터_네트웍계정=",
        "데이터_네트웍Pass=",
        std::string("데이터_SQLServer=") + kDemoServer,
        std::string("데이터_SQLDataName=") + kDemoStoreDatabase,
        "데이터_SQLID=sa",
        std::string("데이터_SQLPass=") + kDemoServerPassword,
        "데이터_SQLConMode=0",
        "데이터_BackUpPath=C:\\Quillon\\BackUp\\",
        "M_매장디비모드=" + mode,
        "표준Path=C:\\Quillon\\Std",
        "m_MDECCHK=",
        "[마스터]",
        "매장등록=0001",
        "매장코드종류=0",
        "[담당자]",
        "담당자=김하나",
        "담당자코드=0001",
        "[기타관리]",
        std::string("데이터_종류=") + kDemoPcCode,
    });
}

std::string PrinterIni() {
    return IniBytes({"[BARCODEPRINT]", "바코드PORT=1", "바코드프린트종류=2", "바코드공유=0",
                     "바코드프린터속도=3", "바코드프린트=Zebra TLP2844", "상단여백=10",
                     "좌측여백=5", "상품명좌측여백=3", "바코드용지종류=2", "바코드출력내용=0",
                     "기본바코드종류=0", "바코드폰트=굴림", "[PRINTER_BARCODE]", "TOP=400",
                     "LEFT=200", "LABEL_ROW=1", "LABEL_COL=3"});
}

std::string LoginFile() {
    return IniBytes({
        std::string("[") + kDemoServer + "]",
        std::string("Address=") + kDemoServer,
        std::string("Password=") + kDemoServerPassword,
        std::string("Engine=embedded:") + kDemoServerFolder,
        std::string("[") + kDemoCentralServer + "]",
        std::string("Password=") + kCentralPassword,
        std::string("Engine=embedded:") + kDemoCentralFolder,
        "[Central]",
        std::string("Server=") + kDemoCentralServer,
        std::string("Database=") + kDemoCentralDatabase,
    });
}

// The template rows with the demo store's values.
std::vector<ConfigRow> DemoConfigRows() {
    std::vector<ConfigRow> rows = TemplateRows();
    for (const Setting& s : kDemoSettings) {
        for (ConfigRow& r : rows) {
            if (r.신규명 == s.item) r.적용 = s.value;
        }
    }
    return rows;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

ServerStore DemoServerStore(const std::string& database) {
    ServerStore store;
    store.server = kDemoServer;
    store.database = database;
    store.user = "sa";
    store.password = kDemoServerPassword;
    store.folder = kDemoServerFolder;
    return store;
}

std::vector<std::string> BuildDemo(host::Host& host, StoreKind kind) {
    std::vector<std::string> built;
    const std::string computer = host.ComputerName();

    WriteFile(host, kLoginFilePath, LoginFile());
    built.push_back(std::string(kLoginFilePath) + "  login resolution (" + kDemoServer + ", " +
                    kDemoCentralServer + ")");

    if (kind == StoreKind::Mdb) {
        const auto sql =
            Joined(OldStoreStatements(db::Dialect::Jet),
                   ConfigTableStatements(db::Dialect::Jet, computer, DemoConfigRows()));
        CreateMdbStore(host, kDemoMdbPath, sql);
        built.push_back(std::string(kDemoMdbPath) + "  store database (MDB, last patched " +
                        kDemoLastPatchDate + ")");
    } else {
        const auto sql =
            Joined(OldStoreStatements(db::Dialect::SqlServer),
                   ConfigTableStatements(db::Dialect::SqlServer, computer, DemoConfigRows()));
        CreateServerStore(host, DemoServerStore(kDemoStoreDatabase), sql);
        built.push_back(std::string(kDemoServer) + "/" + kDemoStoreDatabase +
                        "  store database (SQL Server, last patched " + kDemoLastPatchDate + ")");
    }

    CreateServerStore(
        host, DemoServerStore(kDemoData1Database),
        Joined(OldStoreStatements(db::Dialect::SqlServer),
               ConfigTableStatements(db::Dialect::SqlServer, computer, TemplateRows())));
    built.push_back(std::string(kDemoServer) + "/" + kDemoData1Database + "  \"데이터1\" database");

    ServerStore central;
    central.server = kDemoCentralServer;
    central.database = kDemoCentralDatabase;
    central.password = kCentralPassword;
    central.folder = kDemoCentralFolder;
    CreateServerStore(host, central, {});
    built.push_back(std::string(kDemoCentralServer) + "/" + kDemoCentralDatabase +
                    "  central database");

    CreateConfigTemplate(host);
    built.push_back(ConfigTemplatePath(host) + "  configuration template");

    WriteFile(host, kMainIniPath, MainIni(kind));
    built.push_back(std::string(kMainIniPath) + "  store configuration (CP949)");
    WriteFile(host, kPrinterIniPath, PrinterIni());
    built.push_back(std::string(kPrinterIniPath) + "  printer configuration (CP949)");

    host.Regional().SetTimeFormat(kTimeFormat);
    return built;
}

}  // namespace demo
