#pragma once
// Clean-ups of product (사용상품) and package barcode (확장바코드) rows that the catalogue runs,
// and the next free code of a code column. All work directly on StoreConnection.
#include <string>

namespace config {
class Runtime;
}

namespace repairs {

// The next free code of `column` in `table`: MAX + 1 as zero-padded digits, 10 wide, or "U" and 9
// digits for 제품코드; "0000000001" / "U000000001" for an empty column. Errors (an overflow
// included) reach the caller.
std::string NextCodeNumber(config::Runtime& runtime, const std::string& table,
                           const std::string& column);

// Gives every package barcode code held by more than one product a new code (the lowest product
// keeps it), then makes 바코드코드 the primary key of 확장바코드. A new code is NextCodeNumber's,
// or the first number after it that no row holds yet. Stops without the key when one product
// holds a code twice. Errors before the key statements reach the caller; the two key statements
// are skipped when they fail (an MDB refuses the second).
// False when it stopped without the key statements (a product holding a code twice).
bool SetPackageBarcodePrimaryKey(config::Runtime& runtime);

// Trims the names, makers and barcodes of live products and package barcodes (Null becomes
// empty text). Ends silently on an error, after letting the window system draw once.
// False when an error ended it.
bool TrimProductTexts(config::Runtime& runtime);

// Trims 사용상품.심평원규격 of live products. Errors reach the caller.
void TrimInsuranceSpec(config::Runtime& runtime);

// Empties the memo of every package barcode; errors are ignored.
void ClearPackageMemos(config::Runtime& runtime);

}  // namespace repairs
