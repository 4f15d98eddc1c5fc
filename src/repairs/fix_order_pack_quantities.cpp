#include "repairs/fix_order_pack_quantities.h"

#include "config/runtime.h"
#include "db/recordset.h"
#include "repairs/require.h"

namespace repairs {

namespace {

// The query matches the package by its code only; the update also by the product.
constexpr const char* kWrongLines =
    "SELECT 입.작업일자, 입.전표번호, 입.일련번호, 확.포장수량 FROM 입출상품 AS 입 "
    "LEFT JOIN 확장바코드 AS 확 ON 입.확장코드 = 확.바코드코드 AND 확.DEL_CHK = 0 "
    "LEFT JOIN 전표마스터 AS 전 ON 입.작업일자 = 전.작업일자 AND 입.전표번호 = 전.전표번호 "
    "WHERE 입.확장포장수량 = 1 AND 확.포장수량 > 1 AND 확.DEL_CHK = 0 AND 입.DEL_CHK = 0 "
    "AND 입.전표종류 = 0 AND 전.비고 LIKE '발주전표%' AND 전.DEL_CHK = 0 ";

constexpr const char* kCorrectLines =
    "UPDATE 입출상품 SET 확장포장수량 = 확.포장수량 FROM 입출상품 AS 입 "
    "LEFT JOIN 확장바코드 AS 확 ON 입.확장코드 = 확.바코드코드 AND 입.제품코드 = 확.제품코드 "
    "LEFT JOIN 전표마스터 AS 전 ON 입.작업일자 = 전.작업일자 AND 입.전표번호 = 전.전표번호 "
    "WHERE 입.확장포장수량 = 1 AND 확.포장수량 > 1 AND 확.DEL_CHK = 0 AND 입.DEL_CHK = 0 "
    "AND 입.전표종류 = 0 AND 전.비고 LIKE '발주전표%' AND 전.DEL_CHK = 0 ";

}  // namespace

std::int32_t FixOrderPackQuantities(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet found;
    found.Open(kWrongLines, cn, db::CursorType::kStatic, 1);
    const bool any = !found.Eof();
    found.Close();
    return any ? static_cast<std::int32_t>(cn.Execute(kCorrectLines)) : 0;
}

}  // namespace repairs
