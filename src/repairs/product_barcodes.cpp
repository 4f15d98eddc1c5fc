#include "repairs/product_barcodes.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/runtime.h"
#include "db/error.h"
#include "db/recordset.h"
#include "host/desktop.h"
#include "repairs/clock_text.h"
#include "repairs/field_text.h"
#include "repairs/repair_progress.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "util/kro_function.h"
#include "util/sql_text.h"
#include "util/variant.h"

namespace repairs {

namespace {

using util::Kro_Function;
using util::SqlQuoted;

// The run-time error of an arithmetic overflow.
constexpr std::int32_t kOverflow = 6;
// The largest value of the decimal type in which the next number is worked out.
constexpr double kDecimalMax = 79228162514264337593543950335.0;

constexpr const char* kProductCodeColumn = "제품코드";

constexpr const char* kDuplicatedCodes =
    "SELECT 바코드코드 FROM 확장바코드 GROUP BY 바코드코드 HAVING COUNT(바코드코드) > 1";
constexpr const char* kPrimaryKeyColumn =
    "ALTER TABLE 확장바코드 ALTER COLUMN 바코드코드 NVARCHAR(10) NOT NULL";
constexpr const char* kPrimaryKey =
    "ALTER TABLE [dbo].[확장바코드] WITH NOCHECK ADD "
    "CONSTRAINT [PK_확장바코드] PRIMARY KEY  CLUSTERED "
    "([바코드코드])  ON [PRIMARY]";

// The text without its first character (a whole UTF-8 sequence).
std::string WithoutFirstCharacter(const std::string& text) {
    if (text.empty()) return text;
    std::size_t length = 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return text.substr(length);
}

// The code that follows `digits`: its leading number (0 when it does not start with a digit)
// plus one, written with zeros on the left to `width` digits.
std::string CodeAfter(const std::string& digits, int width) {
    const bool numeric = !digits.empty() && std::isdigit(static_cast<unsigned char>(digits[0]));
    const double next = std::round((numeric ? util::Val(digits) : 0.0) + 1.0);
    if (!std::isfinite(next) || next > kDecimalMax) throw db::DbError(kOverflow, "오버플로");
    char number[64];
    std::snprintf(number, sizeof number, "%.0f", next);
    std::string text = number;
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
    return text;
}

// True when any package barcode row holds the code.
bool CodeHeld(db::Connection& cn, const std::string& code) {
    db::RecordSet rs;
    rs.Open("SELECT COUNT(*) AS 건수 FROM 확장바코드 WHERE 바코드코드 = " + SqlQuoted(code), cn,
            db::CursorType::kStatic, 1);
    const bool held = !rs.Eof() && Kro_Function::Nz(rs["건수"], 3).AsDouble() > 0;
    rs.Close();
    return held;
}

// A new code for a package barcode. The next number after the largest code is not always free
// (a largest code that is no number restarts at 0000000001; codes of other widths sort out of
// numeric order), and a code given out twice would make a new duplicate: the numbers after it
// are tried until one is free.
std::string FreePackageCode(config::Runtime& runtime, db::Connection& cn) {
    std::string code = NextCodeNumber(runtime, "확장바코드", "바코드코드");
    while (CodeHeld(cn, code)) code = CodeAfter(code, 10);
    return code;
}

// The product's voucher lines name its package by code: they follow the package to its new code,
// or they would point at the package of the product that kept the old one. Lines of a store
// without the column stay as they are; that is no reason to leave the duplicates.
void FollowNewCode(db::Connection& cn, const std::string& product, const std::string& oldCode,
                   const std::string& newCode) {
    try {
        cn.Execute("UPDATE 입출상품 SET 확장코드 = " + SqlQuoted(newCode) + " WHERE 제품코드 = " +
                   SqlQuoted(product) + " AND 확장코드 = " + SqlQuoted(oldCode));
    } catch (const db::DbError&) {
    }
}

// Gives every product after the first that holds `code` a new code. False when one product holds
// the code more than once: nothing more is changed and the key cannot be set.
bool RecodeDuplicate(config::Runtime& runtime, db::Connection& cn, const std::string& code) {
    db::RecordSet holders;
    holders.Open("SELECT 제품코드, 바코드코드 FROM 확장바코드 WHERE 바코드코드 = " +
                     SqlQuoted(code) + " ORDER BY 바코드코드 ASC, 제품코드 ASC",
                 cn, db::CursorType::kStatic, 1);
    if (!holders.Eof()) holders.MoveNext();  // the lowest product keeps the code
    for (; !holders.Eof(); holders.MoveNext()) {
        const std::string product = holders["제품코드"].AsText();
        const std::string where =
            " WHERE 제품코드 = " + SqlQuoted(product) + " AND 바코드코드 = " + SqlQuoted(code);
        db::RecordSet count;
        count.Open("SELECT COUNT(*) AS 건수 FROM 확장바코드" + where, cn, db::CursorType::kStatic,
                   1);
        const bool heldTwice = !count.Eof() && Kro_Function::Nz(count["건수"], 3).AsDouble() > 1;
        count.Close();
        if (heldTwice) {
            holders.Close();
            return false;
        }
        const std::string newCode = FreePackageCode(runtime, cn);
        cn.Execute("UPDATE 확장바코드 SET 바코드코드 = " + SqlQuoted(newCode) + ", CHK_MEMO = " +
                   SqlQuoted("중복 바코드코드 변경 작업 - " + TodayText(runtime)) +
                   ", UP_DATE = " + SqlQuoted(NowText(runtime)) + where);
        FollowNewCode(cn, product, code, newCode);
    }
    holders.Close();
    return true;
}

// Runs a statement whose failure leaves the data as it was and is of no further consequence.
void ExecuteIgnoringErrors(config::Runtime& runtime, const char* sql) {
    try {
        Require(runtime.StoreConnection).Execute(sql);
    } catch (const db::DbError&) {
    }
}

}  // namespace

std::string NextCodeNumber(config::Runtime& runtime, const std::string& table,
                           const std::string& column) {
    db::Connection& cn = Require(runtime.StoreConnection);
    const bool productCode = column == kProductCodeColumn;
    const int width = productCode ? 9 : 10;
    const std::string prefix = productCode ? "U" : "";

    db::RecordSet rs;
    rs.Open("SELECT MAX(" + column + ") as 신규번호 FROM " + table, cn, db::CursorType::kStatic, 1);
    if (rs.Eof() || rs["신규번호"].IsNull()) {
        rs.Close();
        return prefix + std::string(width - 1, '0') + "1";
    }
    std::string largest = FieldText(rs["신규번호"]);
    rs.Close();
    if (productCode) largest = WithoutFirstCharacter(largest);
    return prefix + CodeAfter(largest, width);
}

bool SetPackageBarcodePrimaryKey(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet duplicated;
    duplicated.Open(kDuplicatedCodes, cn, db::CursorType::kStatic, 1);
    if (!duplicated.Eof()) {
        PB2Counter bar(runtime);
        bar.SetMax(duplicated.RecordCount());
        AnnounceRepair(runtime, "확장바코드 테이블에 기본키 설정을 위한 추가작업 실시");
        for (; !duplicated.Eof(); duplicated.MoveNext()) {
            if (!RecodeDuplicate(runtime, cn, duplicated["바코드코드"].AsText())) {
                duplicated.Close();
                return false;
            }
            bar.Step();
        }
    }
    duplicated.Close();

    runtime.MainWindow().AddRunLine("확장바코드 테이블에 기본키 설정");
    ExecuteIgnoringErrors(runtime, kPrimaryKeyColumn);
    ExecuteIgnoringErrors(runtime, kPrimaryKey);
    return true;
}

bool TrimProductTexts(config::Runtime& runtime) {
    try {
        db::Connection& cn = Require(runtime.StoreConnection);
        PB2Counter bar(runtime);
        const RowKeys productKeys(cn, "사용상품", {kProductCodeColumn});
        const TableColumns productColumns(cn, "사용상품");
        db::RecordSet products;
        const auto product = [&](const char* column) {
            return productColumns.Quoted(column, FieldText(products[column]));
        };
        products.Open(
            "SELECT 제품명, 제조사, 바코드, 중복바코드, 제품코드 FROM 사용상품 WHERE DEL_CHK = 0",
            cn, db::CursorType::kStatic, 1);
        for (; !products.Eof(); products.MoveNext()) {
            bar.Step();
            const util::Variant& code = products[kProductCodeColumn];
            const std::string where = productKeys.Where({code});
            if (where.empty()) {
                ReportUnaddressableRow(runtime, "사용상품", KeyText(code));
                continue;
            }
            cn.Execute("UPDATE 사용상품 SET 제품명 = " + product("제품명") +
                       ", 제조사 = " + product("제조사") + ", 바코드 = " + product("바코드") +
                       ", 중복바코드 = " + product("중복바코드") + " WHERE " + where);
        }
        products.Close();

        const RowKeys packageKeys(cn, "확장바코드", {kProductCodeColumn, "바코드코드"});
        const TableColumns packageColumns(cn, "확장바코드");
        db::RecordSet packages;
        const auto package = [&](const char* column) {
            return packageColumns.Quoted(column, FieldText(packages[column]));
        };
        packages.Open(
            "SELECT 바코드구분, 바코드, 중복바코드, 제품코드, 바코드코드 FROM 확장바코드 WHERE "
            "DEL_CHK = 0",
            cn, db::CursorType::kStatic, 1);
        for (; !packages.Eof(); packages.MoveNext()) {
            const std::vector<util::Variant> key = {packages[kProductCodeColumn],
                                                    packages["바코드코드"]};
            const std::string where = packageKeys.Where(key);
            if (where.empty()) {
                ReportUnaddressableRow(runtime, "확장바코드",
                                       KeyText(key[0]) + "/" + KeyText(key[1]));
                continue;
            }
            cn.Execute("UPDATE 확장바코드 SET 바코드구분 = " + package("바코드구분") +
                       ", 바코드 = " + package("바코드") +
                       ", 중복바코드 = " + package("중복바코드") + " WHERE " + where);
        }
        packages.Close();
        return true;
    } catch (const db::DbError&) {
        runtime.Desktop().DoEvents();
        return false;
    }
}

void TrimInsuranceSpec(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    AnnounceRepair(runtime, "심평원규격 필드 공백 제거");
    PB2Counter bar(runtime);
    const RowKeys keys(cn, "사용상품", {kProductCodeColumn});
    const TableColumns columns(cn, "사용상품");
    db::RecordSet products;
    products.Open(
        "SELECT 제품코드, 심평원규격 FROM 사용상품 WHERE DEL_CHK = 0 AND 심평원규격 IS NOT NULL",
        cn, db::CursorType::kStatic, 1);
    for (; !products.Eof(); products.MoveNext()) {
        const util::Variant& code = products[kProductCodeColumn];
        const std::string where = keys.Where({code});
        if (where.empty()) {
            ReportUnaddressableRow(runtime, "사용상품", KeyText(code));
        } else {
            cn.Execute("UPDATE 사용상품 SET 심평원규격 = " +
                       columns.Quoted("심평원규격", FieldText(products["심평원규격"])) + " WHERE " +
                       where);
        }
        bar.Step();
    }
    products.Close();
}

void ClearPackageMemos(config::Runtime& runtime) {
    ExecuteIgnoringErrors(runtime, "UPDATE 확장바코드 SET CHK_MEMO = ''");
}

}  // namespace repairs
