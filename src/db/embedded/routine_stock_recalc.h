#pragma once
// PR_NVMgt_U_StockReCalc: recomputes, for one product, the stock and average cost carried
// through its stock movement lines (입출상품: 전재고, 현재고, 재고단가, 이익금) and the product's
// stock figures (사용상품), starting from the carried-over values of 제품정보.
#include <sqlite3.h>

#include <string_view>

namespace db::embedded {

// parameterText holds one record of the splitter (routine_split.h): slip date (8 characters),
// slip number (6), product code (10), closing date (8), store code (15). An empty slip date or
// number recalculates every line after the closing date. Everything runs in one transaction;
// any failure rolls it back and is not reported, as the server's procedure swallows its errors.
void RecalculateStock(sqlite3* db, std::string_view parameterText);

}  // namespace db::embedded
