#include "repairs/class_codes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "config/runtime.h"
#include "db/recordset.h"
#include "host/codepage.h"
#include "host/desktop.h"
#include "repairs/clock_text.h"
#include "repairs/field_text.h"
#include "repairs/repair_progress.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "repairs/vendor.h"
#include "util/kro_function.h"
#include "util/sql_text.h"

namespace repairs {

namespace {

using util::Kro_Function;
using util::SqlQuoted;

constexpr const char* kTransErrorTitle = "Data Trans Error";
constexpr const char* kTransErrorText =
    "데이터 변환 과정에서 오류가 발생했습니다. \r\n\r\n"
    "본 사항은 본사 개발부에서 데이터를 점검해야 하는 상황입니다. \r\n\r\n"
    "지금 즉시 모든 작업을 중지하고 서버 PC를 본사로 원격 지원하여 서비스를 받으시기 "
    "바랍니다.\r\n";
constexpr const char* kTesselErrorText = "frmDBPatchMain:ActionUserTesselSetting2";
constexpr int kDivisionByZero = 11;

// Pictures of the code schemes: a literal 1 before three digits, and four digits.
constexpr std::string_view kClassPicture = "1000";
constexpr std::string_view kDigitsPicture = "0000";

// The three code tables, the key of each and the product column that refers to it.
// Only the product classes have detail classes below them.
struct CodeTable {
    const char* table;
    const char* key;
    const char* productColumn;
    std::string_view picture;
    bool hasDetails;
};
constexpr CodeTable kCodeTables[] = {
    {"상품분류코드", "분류코드", "제품분류", kClassPicture, true},
    {"상품구분코드", "구분코드", "가격분류", kDigitsPicture, false},
    {"기타분류코드", "분류코드", "기타분류", kClassPicture, false},
};

// Numbers beyond this are written as they are read; no code of four characters reaches it.
constexpr double kLargestFormatted = 1e15;

// A number under a picture of "0" digit places and literal characters, as the store software's
// formatting writes it: the integer part (rounded half away from zero) fills the places from
// the right, padded with zeros; digits beyond the places go before the first one; a minus sign
// leads. "1000" writes 5 as 1005, "0000" writes 3 as 0003.
std::string FormatNumber(double number, std::string_view picture) {
    const double rounded = std::round(number);
    std::string digits = std::to_string(static_cast<std::int64_t>(std::fabs(rounded)));
    std::size_t places = 0;
    for (char c : picture) places += c == '0' ? 1 : 0;
    if (digits.size() < places) digits.insert(0, places - digits.size(), '0');
    std::string out = rounded < 0 ? "-" : "";
    std::size_t next = 0;  // the next digit to write
    bool first = true;
    for (char c : picture) {
        if (c != '0') {
            out += c;
            continue;
        }
        const std::size_t take = first ? digits.size() - places + 1 : 1;
        out.append(digits, next, take);
        next += take;
        first = false;
    }
    return out;
}

// The code read as a number, plus `offset`, under the picture; a code that is no number stays
// as it is.
std::string FormatCode(const std::string& code, std::string_view picture, double offset = 0) {
    double number = 0;
    if (!util::ParseNumber(code, number) || std::fabs(number) >= kLargestFormatted) return code;
    return FormatNumber(number + offset, picture);
}

// A small-class code moved into the 3000 range: 12 gives 3012.
std::string SmallClassCode(const std::string& code) {
    return FormatCode(code, kDigitsPicture, 3000);
}

void OpenClientSide(db::RecordSet& rs, const std::string& sql, db::Connection& cn) {
    rs.CursorLocation = 3;
    rs.Open(sql, cn, db::CursorType::kStatic, 1);
}

// The length of a code as the store software measures it: in characters, not bytes.
std::size_t Characters(std::string_view text) {
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < text.size(); ++characters) {
        pos += std::max<std::size_t>(1, host::Utf8CharLength(text, pos));
    }
    return characters;
}

// One renumbering: the store, the run list its reports go to and the columns the new codes are
// written to. A code is moved, with every reference to it, only when the row holding it can be
// addressed alone, the new code fits every column it goes to and no other row holds it yet;
// otherwise it stays as it is and is listed.
class Renumbering {
  public:
    Renumbering(config::Runtime& runtime, db::Connection& cn)
        : runtime_(runtime),
          cn_(cn),
          products_(cn, "사용상품"),
          details_(cn, "상품분류세부코드"),
          smalls_(cn, "상품소분류") {}

    void Table(const CodeTable& t) {
        const RowKeys keys(cn_, t.table, {t.key});
        const TableColumns columns(cn_, t.table);
        db::RecordSet codes;
        OpenClientSide(codes, std::string("SELECT ") + t.key + " AS CODE FROM " + t.table, cn_);
        for (; !codes.Eof(); codes.MoveNext()) {
            const util::Variant& stored = codes["CODE"];
            const std::string code = FieldText(stored);
            if (Characters(code) == 4) continue;
            const std::string renumbered = FormatCode(code, t.picture);
            const std::string where = keys.Where({stored});
            if (where.empty()) {
                ReportUnaddressableRow(runtime_, t.table, KeyText(stored));
                continue;
            }
            if (!columns.Fits(t.key, renumbered) || !products_.Fits(t.productColumn, renumbered)) {
                ReportValueTooLong(runtime_, t.table, KeyText(stored), t.key);
                continue;
            }
            if (Taken(keys, t.table, t.key, stored.AsText(), renumbered)) continue;
            const std::string old = SqlQuoted(stored.AsText());
            cn_.Execute(std::string("UPDATE ") + t.table + " SET " + t.key + "=" +
                        SqlQuoted(renumbered) + " WHERE " + where);
            if (t.hasDetails) DetailClasses(old, renumbered);
            cn_.Execute(std::string("UPDATE 사용상품 SET ") + t.productColumn + " = " +
                        SqlQuoted(renumbered) + " WHERE " + t.productColumn + " = " + old);
        }
        codes.Close();
    }

  private:
    // True, after listing the row, when another row of the table holds the new code already:
    // moving the code there would merge two classes.
    bool Taken(const RowKeys& keys, const char* table, const char* column,
               const std::string& stored, const std::string& renumbered) {
        const std::int64_t self = keys.Equal(stored, renumbered) ? 1 : 0;
        if (RowsHolding(cn_, table, column, renumbered) <= self) return false;
        ReportCodeTaken(runtime_, table, KeyText(stored), renumbered);
        return true;
    }

    // Carries a product class's new code into its detail classes, and renumbers the detail
    // classes (codes below "1000") and their small classes. `old` is the quoted code as stored.
    void DetailClasses(const std::string& old, const std::string& renumbered) {
        cn_.Execute("UPDATE 상품분류세부코드 SET 제품분류코드 = " + SqlQuoted(renumbered) +
                    " WHERE 제품분류코드 = " + old);
        db::RecordSet details;
        OpenClientSide(
            details,
            "SELECT 분류코드 FROM 상품분류세부코드 WHERE 제품분류코드 = " + SqlQuoted(renumbered),
            cn_);
        for (; !details.Eof(); details.MoveNext()) {
            const std::string stored = details[0].AsText();
            std::string detail = stored;
            if (FieldText(details[0]) < "1000") {
                const std::string moved = FormatCode(FieldText(details[0]), kClassPicture);
                if (!details_.Fits("분류코드", moved) || !products_.Fits("제품세부분류", moved) ||
                    !smalls_.Fits("세부분류코드", moved)) {
                    ReportValueTooLong(runtime_, "상품분류세부코드", KeyText(details[0]),
                                       "분류코드");
                    SmallClasses(detail);
                    continue;
                }
                const std::string from = SqlQuoted(stored);
                cn_.Execute("UPDATE 상품분류세부코드 SET 분류코드 = " + SqlQuoted(moved) +
                            " WHERE 분류코드 = " + from);
                cn_.Execute("UPDATE 사용상품 SET 제품세부분류 = " + SqlQuoted(moved) +
                            " WHERE 제품세부분류 = " + from);
                cn_.Execute("UPDATE 상품소분류 SET 세부분류코드 = " + SqlQuoted(moved) +
                            " WHERE 세부분류코드 = " + from);
                detail = moved;
            }
            SmallClasses(detail);
        }
        details.Close();
    }

    // Renumbers the small classes of one detail class whose codes sort below "3000".
    void SmallClasses(const std::string& detail) {
        db::RecordSet small;
        OpenClientSide(small,
                       "SELECT 분류코드 FROM 상품소분류 WHERE 세부분류코드 = " + SqlQuoted(detail),
                       cn_);
        for (; !small.Eof(); small.MoveNext()) {
            const std::string code = FieldText(small[0]);
            if (!(code < "3000")) continue;
            const std::string moved = SmallClassCode(code);
            if (!smalls_.Fits("분류코드", moved) || !products_.Fits("상품소분류", moved)) {
                ReportValueTooLong(runtime_, "상품소분류", KeyText(small[0]), "분류코드");
                continue;
            }
            const std::string from = SqlQuoted(small[0].AsText());
            cn_.Execute("UPDATE 상품소분류 SET 분류코드 = " + SqlQuoted(moved) +
                        " WHERE 분류코드 = " + from);
            cn_.Execute("UPDATE 사용상품 SET 상품소분류 = " + SqlQuoted(moved) +
                        " WHERE 상품소분류 = " + from);
        }
        small.Close();
    }

    config::Runtime& runtime_;
    db::Connection& cn_;
    TableColumns products_;
    TableColumns details_;
    TableColumns smalls_;
};

// The margin-rate classes, highest first; a product falls into the first whose floor its margin
// reaches (in thousandths of a percent), the last one taking every margin below 0.
struct MarginClass {
    const char* code;
    const char* name;
    const char* remark;
    std::int64_t floor;
};
constexpr MarginClass kMarginClasses[] = {
    {"0001", "A", "상품마진율 65% ~ 100%", 65000},
    {"0002", "B", "상품마진율 50% ~ 64%", 50000},
    {"0003", "C", "상품마진율 30% ~ 49%", 30000},
    {"0004", "D", "상품마진율 11% ~ 29%", 11000},
    {"0005", "E", "상품마진율 1% ~ 10%", 1000},
    {"0006", "F", "상품마진율 0%", 0},
    {"0007", "G", "상품마진율 0% 미만", std::numeric_limits<std::int64_t>::min()},
};

// The margin (retail − cost) ÷ retail × 100 in thousandths of a percent, rounded half to even.
// Worked out on the exact currency amounts, so that a margin of exactly 65 is 65000. A retail
// price that is no positive amount raises the run-time error of a division by zero.
std::int64_t MarginThousandths(util::Currency cost, util::Currency retail) {
    if (retail.scaled <= 0) throw db::DbError(kDivisionByZero, "0으로 나누었습니다.");
    using Wide = __int128;
    const Wide numerator = (Wide(retail.scaled) - cost.scaled) * 100000;
    const Wide denominator = retail.scaled;
    Wide quotient = numerator / denominator;
    Wide remainder = numerator % denominator;
    if (remainder < 0) {  // floor division; the denominator is positive
        --quotient;
        remainder += denominator;
    }
    const Wide twice = remainder * 2;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
    return static_cast<std::int64_t>(quotient);
}

const char* MarginClassCode(std::int64_t margin) {
    for (const MarginClass& c : kMarginClasses) {
        if (margin >= c.floor) return c.code;
    }
    return kMarginClasses[0].code;  // not reached: the last floor takes every margin
}

void InsertMarginClasses(config::Runtime& runtime, db::Connection& cn) {
    const std::string workDate = TodayDigits(runtime);
    const std::string changed = NowText(runtime);
    for (const MarginClass& c : kMarginClasses) {
        const std::string code = c.code;
        cn.Execute(
            "INSERT INTO 기타분류코드 (분류코드, 분류명칭, 비고, DEL_CHK, 작업일자, 관리자_MEMO, "
            "변경시간, 줄번호, 조제구분) " +
            ("VALUES ('" + code + "', '" + c.name + "', '" + c.remark + "', 0, '" + workDate +
             "', 'Program Auto Insert - Mirel Oan Tesk', '" + changed + "', '" + code.substr(1) +
             "', -1)"));
    }
}

void ClassifyByMargin(config::Runtime& runtime, db::Connection& cn) {
    db::RecordSet products;
    OpenClientSide(products,
                   "SELECT 입고단가, 소매단가, 제품코드 FROM 사용상품 WHERE (기타분류 = '' OR "
                   "기타분류 IS NULL) AND 입고단가 > 0 AND 소매단가 > 0 ",
                   cn);
    if (products.Eof()) return;
    products.MoveFirst();
    PB2Counter bar(runtime);
    bar.SetMax(products.RecordCount());
    const RowKeys keys(cn, "사용상품", {"제품코드"});
    for (; !products.Eof(); products.MoveNext()) {
        bar.Step();
        const std::int64_t margin =
            MarginThousandths(Kro_Function::Nz(products["입고단가"]).AsCurrency(),
                              Kro_Function::Nz(products["소매단가"]).AsCurrency());
        const std::string where = keys.Where({products["제품코드"]});
        if (where.empty()) {
            ReportUnaddressableRow(runtime, "사용상품", KeyText(products["제품코드"]));
            continue;
        }
        cn.Execute(std::string("UPDATE 사용상품 SET 기타분류 = '") + MarginClassCode(margin) +
                   "' WHERE " + where);
    }
    products.Close();
}

}  // namespace

bool RenumberProductClassCodes(config::Runtime& runtime) {
    try {
        db::Connection& cn = Require(runtime.StoreConnection);
        Renumbering renumbering(runtime, cn);
        for (const CodeTable& t : kCodeTables) renumbering.Table(t);
        return true;
    } catch (const db::DbError&) {
        runtime.Desktop().MessageBox(std::string(kTransErrorText) + vendor::kSupportTelephone,
                                     kTransErrorTitle, host::MsgIcon::Information,
                                     host::MsgButtons::Ok);
        return false;
    }
}

bool ActionUserTesselSetting2(config::Runtime& runtime) {
    try {
        db::Connection& cn = Require(runtime.StoreConnection);
        cn.Execute("UPDATE 사용상품 SET 기타분류 = '' WHERE 기타분류 BETWEEN '0001' AND '0012'");
        cn.Execute("DELETE FROM 기타분류코드 WHERE 분류코드 BETWEEN '0001' AND '0012'");
        InsertMarginClasses(runtime, cn);
        ClassifyByMargin(runtime, cn);
        return true;
    } catch (const db::DbError&) {
        runtime.Desktop().MessageBox(kTesselErrorText, "", host::MsgIcon::None,
                                     host::MsgButtons::Ok);
        return false;
    }
}

}  // namespace repairs
