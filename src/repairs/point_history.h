#pragma once
// Serial numbers of the reward-point history 사은점수이력. Works directly on StoreConnection;
// errors reach the caller.
namespace config {
class Runtime;
}

namespace repairs {

// Numbers the rows of each transaction (작업일자, 작업번호) 1, 2, 3 … in UP_DATE order.
void NumberPointHistory(config::Runtime& runtime);

}  // namespace repairs
