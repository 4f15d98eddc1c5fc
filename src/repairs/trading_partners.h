#pragma once
// Clean-ups of the trading-partner table 거래처마스터 and the product columns that name partners.
// Both work directly on StoreConnection; errors reach the caller.
namespace config {
class Runtime;
}

namespace repairs {

// True when a partner still has an area code of its own. With doMove the area code is folded
// into the telephone number (or just dropped when the number already starts with "0", or when
// the area code is only blanks).
bool MoveAreaCodes(config::Runtime& runtime, bool doMove);

// Empties 매입거래처 and 최근매입처 of live products that name a deleted partner, and renews their
// UP_DATE. A deleted row without a partner code is passed over.
void ClearDeletedSupplierRefs(config::Runtime& runtime);

}  // namespace repairs
