#include "demo/demo_environment.h"

#include <filesystem>
#include <stdexcept>

#include "db/embedded/embedded.h"
#include "demo/config_template.h"
#include "demo/drug_reference.h"
#include "demo/large_store.h"
#include "demo/old_store_layout.h"
#include "host/codepage.h"
#include "host/file_io.h"
#include "host/host.h"
#include "host/regional.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrinterIniPath = "C:\\Windows\\System32\\zentrix_s_sys.ini";
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
        std::string("Password=") + kDemoCentralPassword,
        std::string("Engine=embedded:") + kDemoCentralFolder,
        "[Central]",
        std::string("Server=") + kDemoCentralServer,
        std::string("Database=") + kDemoCentralDatabase,
    });
}

// The store's backup folder row as an old release left it: in place 121, with "0" for "none
// chosen yet".
constexpr const char* kBackupItem = "데이터_BackUpPath";
constexpr int kBackupPlace = 121;

// The template rows with the backup folder row of an old release.
std::vector<ConfigRow> OldTemplateRows() {
    std::vector<ConfigRow> rows = TemplateRows();
    for (ConfigRow& r : rows) {
        if (r.신규명 != kBackupItem) continue;
        r.순서 = kBackupPlace;
        r.적용 = "0";
    }
    return rows;
}

// The old template rows with the demo store's values. (Start-up saves the configuration of the
// store database, backup folder included, so there the "0" does not outlive the first start.)
std::vector<ConfigRow> DemoConfigRows() {
    std::vector<ConfigRow> rows = OldTemplateRows();
    for (const Setting& s : kDemoSettings) {
        for (ConfigRow& r : rows) {
            if (r.신규명 == s.item) r.적용 = s.value;
        }
    }
    return rows;
}

// The drug reference rows of the demo's prescription drugs: for each, a row that expired at the
// end of November 2020 and, for two of them, the row valid since. The sleeping pill gets a new
// name, maker and ceiling price and keeps its own price class (마약); the antacid has only the
// expired row and stays as it is; the ointment, whose wrong dispensing flag the catalogue
// corrects only after the refresh, waits for the next refresh with its new standard code.
std::vector<std::string> DemoDrugReferenceRows() {
    constexpr const char* kExpiredFrom = "20100101";
    constexpr const char* kExpiredTo = "20201130";
    constexpr const char* kValidFrom = "20201201";
    return {
        ReferenceRow("643500170", "8800643500", "후시딘연고(외용)", "후시딘연고 옛", "10g",
                     "동화약품", "4000", "일반", kExpiredFrom, kExpiredTo),
        ReferenceRow("643500170", "8800643501", "후시딘연고(외용)", "후시딘연고", "10g",
                     "동화약품(주)", "4500", "일반", kValidFrom),
        ReferenceRow("644900310", "8800644900", "스틸녹스정10밀리그램(내복)", "스틸녹스정 옛",
                     "10mg", "한독", "3000", "전문", kExpiredFrom, kExpiredTo),
        ReferenceRow("644900310", "8800644900", "스틸녹스정10밀리그램(내복)", "스틸녹스정10mg",
                     "10mg", "사노피-아벤티스", "3300", "전문", kValidFrom),
        ReferenceRow("650300120", "8800650300", "오메드정20밀리그램(내복)", "오메드정20mg 옛",
                     "20mg", "닥터레디", "250", "전문", kExpiredFrom, kExpiredTo),
    };
}

// The standard codes of the demo products' old insurance codes (연합회코드).
std::vector<std::string> DemoStandardCodeRows() {
    return {
        StandardCodeRow("642100380", "8800642100"), StandardCodeRow("641600390", "8800641600"),
        StandardCodeRow("643500170", "8800643500"), StandardCodeRow("644900310", "8800644900"),
        StandardCodeRow("650300120", "8800650300"),
    };
}

enum class Generated { StoreRows, ReferenceRows, StandardCodes };

// The generated rows of a scaled store, added to the database file just built.
void AddGeneratedRows(const std::filesystem::path& file, db::Dialect dialect,
                      const std::string& jetPassword, const DemoScale& scale, Generated what) {
    auto session = OpenDemoDatabase(file, dialect, jetPassword);
    const LargeStoreCounts counts = CountsForSize(scale.size);
    switch (what) {
        case Generated::StoreRows:
            FillLargeStore(*session, counts, scale.seed);
            break;
        case Generated::ReferenceRows:
            FillLargeReference(*session, counts, scale.seed);
            break;
        case Generated::StandardCodes:
            FillLargeStandardCodes(*session, counts, scale.seed);
            break;
    }
}

std::string CountsText(const LargeStoreCounts& c) {
    return std::to_string(c.products) + " products (" + std::to_string(c.drugs) +
           " prescription drugs), " + std::to_string(c.packages) + " package barcodes, " +
           std::to_string(c.voucherLines) + " voucher lines, " + std::to_string(c.partners) +
           " trading partners, " + std::to_string(c.pointRows) + " point history rows";
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

std::unique_ptr<db::Session> OpenDemoDatabase(const std::filesystem::path& file,
                                              db::Dialect dialect, const std::string& jetPassword) {
    db::embedded::OpenOptions options;
    options.dialect = dialect;
    options.jetPassword = jetPassword;
    return db::embedded::Open(file, options);
}

ServerStore DemoServerStore(const std::string& database) {
    ServerStore store;
    store.server = kDemoServer;
    store.database = database;
    store.user = "sa";
    store.password = kDemoServerPassword;
    store.folder = kDemoServerFolder;
    return store;
}

std::vector<fs::path> DemoFiles(const host::Host& host, StoreKind kind) {
    const auto native = [&host](const std::string& windowsPath) {
        return host.Native(windowsPath).value_or(fs::path());
    };
    ServerStore central;
    central.database = kDemoCentralDatabase;
    central.folder = kDemoCentralFolder;
    return {
        kind == StoreKind::Mdb ? native(kDemoMdbPath)
                               : ServerStoreFile(host, DemoServerStore(kDemoStoreDatabase)),
        ServerStoreFile(host, DemoServerStore(kDemoData1Database)),
        ServerStoreFile(host, central),
        ServerStoreFile(
            host, ReferenceStore(kDemoCentralServer, kDemoCentralFolder, kDemoCentralPassword)),
        native(StandardCodeFilePath(host)),
        native(ConfigTemplatePath(host)),
        native(kLoginFilePath),
        native(kMainIniPath),
        native(kPrinterIniPath),
    };
}

std::vector<std::string> BuildDemo(host::Host& host, StoreKind kind, const DemoScale& scale) {
    const bool scaled = scale.size > 0;
    if (scaled) CountsForSize(scale.size);  // refuses a size out of range before anything is made
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
        if (scaled) {
            AddGeneratedRows(*host.Native(kDemoMdbPath), db::Dialect::Jet, kStoreMdbPassword, scale,
                             Generated::StoreRows);
        }
        built.push_back(std::string(kDemoMdbPath) + "  store database (MDB, last patched " +
                        kDemoLastPatchDate + ")");
    } else {
        const auto sql =
            Joined(OldStoreStatements(db::Dialect::SqlServer),
                   ConfigTableStatements(db::Dialect::SqlServer, computer, DemoConfigRows()));
        CreateServerStore(host, DemoServerStore(kDemoStoreDatabase), sql);
        if (scaled) {
            AddGeneratedRows(ServerStoreFile(host, DemoServerStore(kDemoStoreDatabase)),
                             db::Dialect::SqlServer, "", scale, Generated::StoreRows);
        }
        built.push_back(std::string(kDemoServer) + "/" + kDemoStoreDatabase +
                        "  store database (SQL Server, last patched " + kDemoLastPatchDate + ")");
    }

    CreateServerStore(
        host, DemoServerStore(kDemoData1Database),
        Joined(OldStoreStatements(db::Dialect::SqlServer),
               ConfigTableStatements(db::Dialect::SqlServer, computer, OldTemplateRows())));
    built.push_back(std::string(kDemoServer) + "/" + kDemoData1Database + "  \"데이터1\" database");

    ServerStore central;
    central.server = kDemoCentralServer;
    central.database = kDemoCentralDatabase;
    central.password = kDemoCentralPassword;
    central.folder = kDemoCentralFolder;
    CreateServerStore(host, central, {});
    built.push_back(std::string(kDemoCentralServer) + "/" + kDemoCentralDatabase +
                    "  central database");
    const ServerStore reference =
        ReferenceStore(kDemoCentralServer, kDemoCentralFolder, kDemoCentralPassword);
    CreateDrugReference(host, reference, DemoDrugReferenceRows());
    if (scaled) {
        AddGeneratedRows(ServerStoreFile(host, reference), db::Dialect::SqlServer, "", scale,
                         Generated::ReferenceRows);
        built.push_back("generated rows (size " + std::to_string(scale.size) + ", seed " +
                        std::to_string(scale.seed) + "): " + CountsText(CountsForSize(scale.size)));
    }
    built.push_back(std::string(kDemoCentralServer) + "/" + kReferenceDatabase +
                    "  drug reference (DBF심평원약)");
    CreateStandardCodeFile(host, DemoStandardCodeRows());
    if (scaled) {
        AddGeneratedRows(*host.Native(StandardCodeFilePath(host)), db::Dialect::Jet, "", scale,
                         Generated::StandardCodes);
    }
    built.push_back(StandardCodeFilePath(host) + "  standard codes (표준코드)");

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
