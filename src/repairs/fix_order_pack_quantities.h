#pragma once
// Corrects the package quantity of live order-voucher lines that were saved with 1 although
// their package barcode holds more. Works on StoreConnection; errors reach the caller.
#include <cstdint>

namespace config {
class Runtime;
}

namespace repairs {

// The number of voucher lines changed; 0 when none needed it.
std::int32_t FixOrderPackQuantities(config::Runtime& runtime);

}  // namespace repairs
