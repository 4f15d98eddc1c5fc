#include "repairs/toolbar_menus.h"

#include <cstdint>
#include <string>

#include "config/runtime.h"
#include "db/recordset.h"
#include "repairs/require.h"
#include "util/kro_function.h"

namespace repairs {

namespace {

constexpr const char* kRenames[] = {
    "UPDATE 툴바설정 SET 메뉴명 = '매입전표', "
    "메뉴설명 = '키보드 입력 방식으로 매입전표를 입력하는 화면' "
    "WHERE ID = 2",
    "UPDATE 툴바설정 SET 메뉴명 = '상품별관리' WHERE ID = 5",
    "UPDATE 툴바설정 SET 메뉴명 = '재고현황' WHERE ID = 9",
    "UPDATE 툴바설정 SET 메뉴명 = '판매결제', "
    "메뉴설명 = '일반판매의 판매결제를 집계하는 화면' "
    "WHERE ID = 10",
    "UPDATE 툴바설정 SET 메뉴명 = '매입매출', "
    "메뉴설명 = '일반판매의 매입매출을 집계하는 화면' "
    "WHERE ID = 11",
};

constexpr const char* kInsertColumns =
    "INSERT INTO 툴바설정 (ID, 메뉴명, 메뉴설명, 사용, 선택가능, 구분선) VALUES ";

}  // namespace

void RenameToolbarMenus(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    for (const char* sql : kRenames) cn.Execute(sql);
}

void InsertPrescriptionMenu(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet buttons;
    buttons.Open("SELECT * FROM 툴바설정 WHERE ID > 1 ORDER BY ID DESC", cn,
                 db::CursorType::kStatic, 1);
    // From the highest ID down, so that no button lands on a place that is still taken.
    for (; !buttons.Eof(); buttons.MoveNext()) {
        const std::int64_t id = util::Kro_Function::Nz(buttons["ID"]).AsInt();
        cn.Execute("UPDATE 툴바설정 SET ID = " + std::to_string(id + 2) +
                   " WHERE ID = " + std::to_string(id));
    }
    buttons.Close();
    cn.Execute(std::string(kInsertColumns) + "( 2, '처방조제', '처방전을 입력하는 화면', 1, 1, 0)");
    cn.Execute(std::string(kInsertColumns) + "( 3, '--------0','메뉴간의 구분 선0', 1, 1, 1)");
}

}  // namespace repairs
