// NorvConn: the object, its item table and the INI half of the basic load.
#include "config/norv_conn.h"

#include <filesystem>
#include <system_error>

#include "config/connection_setup.h"
#include "config/ini_items.h"
#include "config/item_catalog.h"
#include "config/kro_ini.h"
#include "config/runtime.h"
#include "db/error.h"
#include "host/desktop.h"
#include "host/host.h"
#include "util/vb_text.h"

namespace config {
namespace {

constexpr const char* kMainIni = "C:\\Quillon\\NVConfig.INI";
constexpr const char* kPrinterIniName = "\\zentrix_s_sys.ini";

std::string PrinterIni(const host::Host& host) {
    return host.SystemFolder() + kPrinterIniName;
}

// A default that applies once the INI row named `after` has been read.
struct IniDefault {
    std::string_view after;
    void (*apply)(NorvConnItems&);
};

void DefaultText(std::string& item, const char* value) {
    if (item.empty()) item = value;
}

// clang-format off
constexpr IniDefault kIniDefaults[] = {
    {"데이터_BackUpPath", [](NorvConnItems& c) {
        if (c.데이터_BackUpPath == "0" || c.데이터_BackUpPath.empty()) {
            c.데이터_BackUpPath = "C:\\Quillon\\BackUp\\";
        }
    }},
    // The store-database mode of the INI overrides the data kind.
    {"M_매장디비모드", [](NorvConnItems& c) { c.데이터_종류 = c.M_매장디비모드; }},
    {"M_매장코드종류", [](NorvConnItems& c) {
        if (c.M_매장코드.empty() && c.M_매장코드종류 == 0) c.M_매장코드 = "0001";
    }},
    {"M_매장코드종류", [](NorvConnItems& c) {
        if (!util::Trim(c.데이터_MDBPath).empty()) return;
        c.데이터_종류 = 0;
        c.데이터_MDBPath = "C:\\Program Files\\하로나\\Data\\DatMain.mdb";
        c.데이터_SQLServer = ".";
        c.데이터_SQLDataName = "ZENTRIX";
        c.데이터_SQLID = "sa";
        c.데이터_네트웍Pass.clear();
    }},
    {"M_바코드Top", [](NorvConnItems& c) { DefaultText(c.M_바코드Top, "400"); }},
    {"M_바코드Left", [](NorvConnItems& c) { DefaultText(c.M_바코드Left, "200"); }},
    {"M_바코드LabelRow", [](NorvConnItems& c) { DefaultText(c.M_바코드LabelRow, "1"); }},
    {"M_바코드LabelCol", [](NorvConnItems& c) { DefaultText(c.M_바코드LabelCol, "1"); }},
    {"M_바코드폰트", [](NorvConnItems& c) { DefaultText(c.M_바코드폰트, "Arial"); }},
    // A printer INI without margins has never been set up: the whole barcode block starts over.
    {"M_바코드폰트", [](NorvConnItems& c) {
        if (!c.M_바코드상단여백.empty()) return;
        c.M_바코드PORT = c.M_바코드프린트종류 = c.M_바코드공유 = c.M_바코드프린터속도 = 0;
        c.M_바코드프린트.clear();
        c.M_바코드상단여백 = c.M_바코드좌측여백 = c.M_바코드상품명좌측여백 = "0";
        c.M_바코드용지종류 = 2;
        c.M_바코드출력내용 = 0;
        c.M_바코드종류 = 0;
        c.M_바코드폰트 = "Arial";
    }},
};
// clang-format on

util::Variant Converted(IniConversion conversion, const std::string& text) {
    switch (conversion) {
        case IniConversion::Text:
            return util::Variant(text);
        case IniConversion::TrimmedText:
            return util::Variant(util::Trim(text));
        case IniConversion::Byte:
            return util::Variant(static_cast<std::int64_t>(TextToByte(util::Variant(text))));
        case IniConversion::Int32:
            return util::Variant(util::Val(text));
    }
    return util::Variant();
}

}  // namespace

NorvConn::NorvConn(Runtime& runtime)
    : runtime_(runtime), mainIni_(kMainIni), printerIni_(PrinterIni(runtime.Host())) {}

NorvConn::~NorvConn() = default;

const util::Variant& NorvConn::Slot(int slot) const {
    static const util::Variant kEmpty;
    return slot >= 0 && slot < kSlotCount ? slots_[static_cast<std::size_t>(slot)] : kEmpty;
}

void NorvConn::ReadIniFiles(NorvConn& config) {
    Kro_INI ini(runtime_);
    config.iniStored_.clear();
    for (const IniItem& row : IniItems()) {
        const std::string& file = row.file == IniFile::Main ? mainIni_ : printerIni_;
        const std::string text = ini.INIRead(row.section, row.key, row.characters, file);
        const ItemInfo& item = *FindItem(row.item);
        item.set(config, Converted(row.conversion, text));
        if (ini.INIHasKey(row.section, row.key, file)) {
            config.iniStored_.insert_or_assign(std::string(row.item), ItemText(config, item));
        }
        for (const IniDefault& d : kIniDefaults) {
            if (d.after == row.item) d.apply(config);
        }
    }
    config.loadedDataKind_ = config.데이터_종류;
}

bool NorvConn::ActionConFigLoad_Basic(NorvConn& config, db::ConnectionRef& cn, bool NoCon,
                                      [[maybe_unused]] db::Kro_Ado* Bin_KroAdo) {
    mainIni_ = kMainIni;
    printerIni_ = runtime_.Utilities().SysDir() + kPrinterIniName;
    config_ = &config;
    try {
        const auto native = runtime_.Host().Native(mainIni_);
        std::error_code ec;
        if (!native || !std::filesystem::exists(*native, ec)) {
            runtime_.Desktop().Inform("환경설정파일이 없습니다", "환경오류");
        }
        ReadIniFiles(config);
    } catch (const std::exception&) {
        return false;
    }
    if (NoCon) return true;
    return LoadConfigTable(config, cn);
}

}  // namespace config
