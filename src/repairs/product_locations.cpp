#include "repairs/product_locations.h"

#include <string>
#include <vector>

#include "config/runtime.h"
#include "db/kro_ado.h"
#include "db/recordset.h"
#include "host/desktop.h"
#include "repairs/repair_progress.h"
#include "repairs/repair_report.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "util/dialogs.h"
#include "util/kro_function.h"
#include "util/sql_text.h"
#include "util/vb_text.h"

namespace repairs {

namespace {

using util::Kro_Function;

constexpr const char* kClearingText = "기존자료를 초기화 하고있습니다. 잠시만 기다려주세요!";
constexpr const char* kReadingText = "정리를 위한 자료를 읽고 있습니다. 잠시만 기다려주세요!";

constexpr const char* kProductLocations =
    "SELECT 제품코드, 제품명, 상품위치 FROM 사용상품 WHERE DEL_CHK=0 AND LEN(상품위치) > 0 ";
constexpr const char* kBarcodeLocations =
    "SELECT 확.제품코드, 확.바코드코드, 확.바코드구분, 확.상품위치  \r\n"
    "FROM 확장바코드 AS 확 \r\n"
    "   LEFT JOIN 사용상품 AS 상 ON 확.제품코드=상.제품코드 AND 상.DEL_CHK=0 \r\n"
    "WHERE 확.DEL_CHK=0 AND LEN(확.상품위치) > 0 AND 상.DEL_CHK=0 \r\n";

// A location text or a code exactly as stored, blanks included; Null gives "". Taken as text even
// when it reads as a number, so that "1,2" stays two locations. A code names its row only as
// stored: "X1" trimmed from "X1 " is another product's.
std::string StoredText(const util::Variant& value) {
    return value.IsNull() ? std::string() : value.AsText();
}

// --- RebuildProductLocations -------------------------------------------------------------------

// One rebuild: the Kro_Ado object whose statements and queries it runs (it reconnects the store
// connection once, before its first statement) and the record set being read.
class LocationRebuild {
  public:
    explicit LocationRebuild(config::Runtime& runtime)
        : runtime_(runtime), dialogs_(runtime.Dialogs()), ado_(runtime.Ado()) {}

    bool Run() {
        try {
            Progress(0, kClearingText);
            ado_.RunSql(runtime_.StoreConnection, "DELETE FROM PdtLocation ");
            Progress(2, "");
            Progress(0, kReadingText);
            Store(kProductLocations, "제품명", nullptr);
            db::Kro_Ado::CloseRecordSet(rs_);
            Store(kBarcodeLocations, "바코드구분", "바코드코드");
            Progress(2, "");
            db::Kro_Ado::CloseRecordSet(rs_);
            dialogs_.UnloadMessageWindow();
            return true;
        } catch (const db::DbError& e) {
            ShowRepairErrorReport(runtime_, e);
            db::Kro_Ado::CloseRecordSet(rs_);
            return false;
        }
    }

  private:
    void Progress(int mode, std::string text, int total = 0, int done = 0) {
        // The rebuild cannot be stopped half way (PdtLocation would be left partly filled): its
        // window offers no cancel button.
        dialogs_.ProgressDialog(mode, total, done, text, false, true);
    }

    // Stores every location of the query's rows, one progress step per row captioned by
    // `captionField`; `barcodeField` null stores the product's own locations (no barcode).
    void Store(const char* query, const char* captionField, const char* barcodeField) {
        rs_ = ado_.GetRecordSet(runtime_.StoreConnection, query);
        db::RecordSet& rs = Require(rs_);
        const TableColumns locations(Require(runtime_.StoreConnection), "PdtLocation");
        int counter = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            ++counter;
            Progress(1, Kro_Function::Nz(rs[captionField], 1).AsText(),
                     static_cast<int>(rs.RecordCount()), counter);
            const std::string product = locations.Quoted("제품코드", StoredText(rs["제품코드"]));
            const std::string barcode = locations.Quoted(
                "바코드코드", barcodeField ? StoredText(rs[barcodeField]) : std::string());
            const std::vector<std::string> pieces =
                Kro_Function::SR특정문자기준으로배열생성(StoredText(rs["상품위치"]), ",");
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                if (util::Trim(pieces[i]).empty()) continue;
                ado_.RunSql(runtime_.StoreConnection,
                            "INSERT INTO PdtLocation (제품코드, 바코드코드, 상품위치, 줄번호, "
                            "위치대표) " +
                                ("VALUES (" + product + ", " + barcode + ", " +
                                 locations.Quoted("상품위치", pieces[i]) + ", 0, " +
                                 (i == 0 ? "1" : "0") + ") "));
            }
        }
    }

    config::Runtime& runtime_;
    util::Dialogs& dialogs_;
    db::Kro_Ado ado_;
    db::RecordSetRef rs_;
};

// --- BuildProductLocations ---------------------------------------------------------------------

// One pass: its query and how a row's first location is inserted.
struct LocationPass {
    const char* query;
    bool withBarcode;
};
constexpr LocationPass kPasses[] = {
    {"SELECT 상품위치, 제품코드 FROM 사용상품 WHERE DEL_CHK = 0 AND 상품위치 <> '' AND 상품위치 "
     "IS NOT NULL ",
     false},
    {"SELECT 확.상품위치, 확.제품코드, 확.바코드코드 FROM 확장바코드 AS 확 INNER JOIN 사용상품 AS "
     "상 ON 상.DEL_CHK = 0 AND 상.제품코드 = 확.제품코드 WHERE 확.DEL_CHK = 0 AND 확.상품위치 IS "
     "NOT NULL AND 확.상품위치 <> ''",
     true},
};

// The text before the first comma, blanks kept; "" for a text of blanks only.
std::string FirstLocation(const std::string& text) {
    if (util::Trim(text).empty()) return {};
    return text.substr(0, text.find(','));
}

std::string FirstLocationInsert(const LocationPass& pass, const TableColumns& locations,
                                const db::RecordSet& row, const std::string& location) {
    const std::string product = locations.Quoted("제품코드", StoredText(row["제품코드"]));
    const std::string place = locations.Quoted("상품위치", location);
    if (!pass.withBarcode) {
        return "INSERT INTO PdtLocation (제품코드, 상품위치) " +
               ("VALUES (" + product + ", " + place + ")");
    }
    return "INSERT INTO PdtLocation (제품코드, 바코드코드, 상품위치) " +
           ("VALUES (" + product + ", " +
            locations.Quoted("바코드코드", StoredText(row["바코드코드"])) + ", " + place + ")");
}

void BuildPass(config::Runtime& runtime, db::Connection& cn, const LocationPass& pass) {
    db::RecordSet rows;
    rows.Open(pass.query, cn, db::CursorType::kStatic, 1);
    const TableColumns locations(cn, "PdtLocation");
    PB2Counter bar(runtime);
    if (!rows.Eof()) {
        rows.MoveFirst();
        bar.SetMax(rows.RecordCount());
    }
    for (; !rows.Eof(); rows.MoveNext()) {
        bar.Step();
        const std::string location = FirstLocation(StoredText(rows["상품위치"]));
        if (!location.empty()) cn.Execute(FirstLocationInsert(pass, locations, rows, location));
    }
    rows.Close();
}

}  // namespace

bool BuildProductLocations(config::Runtime& runtime) {
    try {
        db::Connection& cn = Require(runtime.StoreConnection);
        for (const LocationPass& pass : kPasses) BuildPass(runtime, cn, pass);
        return true;
    } catch (const db::DbError&) {
        runtime.Desktop().DoEvents();
        return false;
    }
}

bool RebuildProductLocations(config::Runtime& runtime) {
    return LocationRebuild(runtime).Run();
}

}  // namespace repairs
