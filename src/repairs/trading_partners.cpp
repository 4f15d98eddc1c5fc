#include "repairs/trading_partners.h"

#include <string>

#include "config/runtime.h"
#include "db/recordset.h"
#include "host/desktop.h"
#include "repairs/clock_text.h"
#include "repairs/field_text.h"
#include "repairs/repair_progress.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "util/kro_function.h"
#include "util/sql_text.h"

namespace repairs {

namespace {

using util::SqlQuoted;

constexpr const char* kPartners = "거래처마스터";
constexpr const char* kPartnerCode = "거래처코드";

}  // namespace

bool MoveAreaCodes(config::Runtime& runtime, bool doMove) {
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet partners;
    partners.Open(
        "SELECT 거래처코드, 지역번호, 전화번호 FROM 거래처마스터 "
        "WHERE 지역번호 IS NOT NULL AND 지역번호 <>'' ",
        cn, db::CursorType::kStatic, 1);
    const bool found = !partners.Eof();
    if (doMove && found) {
        const RowKeys keys(cn, kPartners, {kPartnerCode});
        const TableColumns columns(cn, kPartners);
        partners.MoveFirst();
        PB2Counter bar(runtime);
        bar.SetMax(partners.RecordCount());
        for (; !partners.Eof(); partners.MoveNext()) {
            bar.Step();
            const util::Variant& partner = partners[kPartnerCode];
            const std::string where = keys.Where({partner});
            if (where.empty()) {
                ReportUnaddressableRow(runtime, kPartners, KeyText(partner));
                continue;
            }
            const std::string area = FieldText(partners["지역번호"]);
            const std::string phone = FieldText(partners["전화번호"]);
            // A number that starts with 0 carries its area code already; an area code of blanks
            // has nothing to give the number.
            std::string sql = "UPDATE 거래처마스터 SET 지역번호 = '' WHERE " + where;
            if (!area.empty() && phone.substr(0, 1) != "0") {
                const std::string joined = area + "-" + phone;
                sql = "UPDATE 거래처마스터 SET 전화번호 = " + columns.Quoted("전화번호", joined) +
                      ", 지역번호 = '' WHERE " + where;
                // A number that would no longer fit keeps its area code apart.
                if (!columns.Fits("전화번호", joined)) sql.clear();
            }
            if (sql.empty() || !ExecuteUnlessTooLong(cn, sql)) {
                ReportValueTooLong(runtime, kPartners, KeyText(partner), "전화번호");
            }
        }
    }
    partners.Close();
    return found;
}

void ClearDeletedSupplierRefs(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet deleted;
    deleted.Open("SELECT 거래처코드 FROM 거래처마스터 WHERE DEL_CHK = 1", cn,
                 db::CursorType::kStatic, 1);
    if (deleted.Eof()) {
        deleted.Close();
        return;
    }
    runtime.MainWindow().AddRunLine("거래처마스터 데이터 정리");
    PB2Counter bar(runtime);
    bar.SetMax(deleted.RecordCount());
    runtime.Desktop().DoEvents();

    const RowKeys keys(cn, kPartners, {kPartnerCode});
    for (; !deleted.Eof(); deleted.MoveNext()) {
        const util::Variant& partner = deleted[kPartnerCode];
        // A deleted row without a code names no product's supplier; matching it would stamp
        // every product without a supplier as changed. A code that another partner's code
        // compares equal to would empty the products of that partner as well.
        if (!FieldText(partner).empty()) {
            if (keys.Where({partner}).empty()) {
                ReportUnaddressableRow(runtime, kPartners, KeyText(partner));
            } else {
                for (const char* column : {"매입거래처", "최근매입처"}) {
                    cn.Execute(std::string("UPDATE 사용상품 SET ") + column + " = '', UP_DATE = " +
                               SqlQuoted(NowText(runtime)) + " WHERE DEL_CHK = 0 AND " + column +
                               " = " + SqlQuoted(partner.AsText()));
                }
            }
        }
        bar.Step();
    }
    deleted.Close();
}

}  // namespace repairs
