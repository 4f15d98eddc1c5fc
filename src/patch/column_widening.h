#pragma once
// The two bulk column rewrites of the catalogue. Both work on StoreConnection and pass over
// every failing statement, so that a database without some of the columns or indexes is still
// brought as far as it goes. Neither adds a run-list line; the calling step does.
namespace config {
class Runtime;
}

namespace patch {

// Retypes 중복바코드, 무게등록일자 and 재고메모 of 사용상품 and 확장바코드.
void ChangeProductColumnTypes(config::Runtime& runtime);

// Widens the product name, memo, barcode and related columns (dropping and re-creating the
// indexes on them) and adds 확장바코드.규격; yields to the window system after each statement.
void WidenProductColumns(config::Runtime& runtime);

}  // namespace patch
