#pragma once
// Corrects 사용상품.조제약여부 of live products whose value is none of 0, 1 and 2: 1 for a product
// with an association code, else the dispensing kind of its class, else 0. Works on
// StoreConnection; errors reach the caller.
#include <cstdint>

namespace config {
class Runtime;
}

namespace repairs {

// The number of product rows changed.
std::int32_t FixDispensingFlags(config::Runtime& runtime);

}  // namespace repairs
